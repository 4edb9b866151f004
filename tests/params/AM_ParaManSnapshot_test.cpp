// The compact snapshot: its exact bytes, what it leaves out, applying it,
// and snapshots that are short or odd.

#include "StateFixture.h"
#include "params/object/AM_Messages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using namespace testfixture;

enum SnapParam : uint32_t { kList, kFloat, kData, kAssign, kHidden, kGuiOnly, kMeter };
constexpr uint32_t kDataBytes = 6;

// main (3 parameters) > [PCore (no XY, no matrix: 23 own), SNP (7)]:
// global ids 0-2, 3-25, 26-32.
struct SnapTree {
    SnapTree()
    {
        ModulePlan plan;
        plan.name = "SNP: Snap";
        plan.params = {
            makeParam("List", "List", k_kindInteger, 0, 3, 2, 0),
            makeParam("Flt", "Float", k_kindFloat, -1, 1, 0.5f, 0),
            makeParam("Dat", "Data", k_typeBinaryData, 0, kDataBytes, 0, 0),
            makeParam("Asg", "Assign", k_kindAssignment, -1, 0, -1, 0),
            makeParam("Hid", "Hidden", k_kindFloat, 0, 1, 0, 0x100),
            makeParam("Gui", "GuiOnly", k_kindFloat, 0, 1, 0, 0x8000),
            makeParam("Met", "Meter", k_meter, 0, 1, 0, 0),
        };
        snap = new StateModule(&engine, plan);
        engine.addModule(snap);
        engine.init();
    }
    AM_ParaMan& man() { return *engine.paraMan; }
    int32_t id(uint32_t local) { return engine.idOf(snap, local); }
    std::vector<uint8_t> write()
    {
        uint32_t size = 0;
        const uint8_t* bytes = man().writeSnapshot(&size);
        return bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>();
    }

    StateEngine engine{0, 0, 0};
    StateModule* snap;
};

void u16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void valueRecord(std::vector<uint8_t>& out, uint32_t id, float value)
{
    u16(out, 4);
    u16(out, id);
    uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    u16(out, bits);
    u16(out, bits >> 16);
}

void dataRecord(std::vector<uint8_t>& out, uint32_t id, const std::vector<uint8_t>& data)
{
    u16(out, static_cast<uint32_t>(data.size()));
    u16(out, id);
    out.insert(out.end(), data.begin(), data.end());
    while (out.size() % 4 != 0)
        out.push_back(0);
}

TEST(Snapshot, TheBytesFollowTheTableAndAFreshManagerWritesThem)
{
    SnapTree t;
    t.engine.set(t.id(kList), 3);
    t.engine.set(t.id(kFloat), -0.25f);
    t.engine.set(t.id(kAssign), 27);
    t.snap->data[kData] = {1, 2, 3, 4, 5, 6};
    std::vector<uint8_t> folder(256, 0);
    std::strcpy(reinterpret_cast<char*>(folder.data()), "Pads");
    std::memcpy(t.engine.getBinaryParameterData(14), folder.data(), folder.size());
    t.man().setVersion(0x10203, true);

    std::vector<uint8_t> expected;
    u16(expected, 4);
    u16(expected, 65535);
    u16(expected, 0x0203);
    u16(expected, 0x0001);
    valueRecord(expected, 0, 100.0f); // main's CcOp; its two others are not saved
    valueRecord(expected, 5, 4.0f);   // SBase
    valueRecord(expected, 6, 0.0f);   // Swing
    valueRecord(expected, 8, 1.0f);   // STrig
    valueRecord(expected, 13, 0.0f);  // PSong
    dataRecord(expected, 14, folder); // PFold
    dataRecord(expected, 15, std::vector<uint8_t>(64, 0));
    valueRecord(expected, 26, 3.0f);
    valueRecord(expected, 27, -0.25f);
    dataRecord(expected, 28, {1, 2, 3, 4, 5, 6}); // padded to 12 bytes
    valueRecord(expected, 29, 27.0f);
    const size_t used = expected.size();
    expected.resize(used + 20, 0); // the ending zero length and the reserve

    const std::vector<uint8_t> bytes = t.write();
    EXPECT_EQ(bytes, expected);
    // Written again after a state text, in the buffer the state used.
    uint32_t size = 0;
    ASSERT_NE(t.man().writeState(&size, nullptr), nullptr);
    EXPECT_EQ(t.write(), expected);
}

TEST(Snapshot, ApplyingItBringsEveryValueBack)
{
    SnapTree t;
    t.engine.set(t.id(kList), 1);
    t.engine.set(t.id(kFloat), 0.75f);
    t.snap->data[kData] = {9, 8, 7, 6, 5, 4};
    const std::vector<uint8_t> bytes = t.write();
    t.engine.set(t.id(kList), 3);
    t.engine.set(t.id(kFloat), 0.0f);
    t.snap->data[kData].assign(kDataBytes, 0);
    t.engine.set(t.id(kGuiOnly), 1);
    t.man().readSnapshot(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(t.man().getValue(t.id(kList), false), 1.0f);
    EXPECT_EQ(t.man().getValue(t.id(kFloat), false), 0.75f);
    EXPECT_EQ(t.snap->data[kData], (std::vector<uint8_t>{9, 8, 7, 6, 5, 4}));
    EXPECT_EQ(t.man().getValue(t.id(kGuiOnly), false), 1.0f); // not in a snapshot
    EXPECT_FALSE(t.man().isLoading());
}

TEST(Snapshot, AnInactiveModuleIsLeftOutAndKeepsItsValues)
{
    SnapTree t;
    t.snap->active = false;
    const std::vector<uint8_t> bytes = t.write();
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4)
        EXPECT_FALSE(bytes[at] == 4 && bytes[at + 2] == 26 && bytes[at + 3] == 0);
    t.engine.set(t.id(kList), 0);
    t.man().readSnapshot(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(t.man().getValue(t.id(kList), false), 0.0f);
}

class VersionListener : public AM_Object {
public:
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        if (message == k_msgVersionChanged)
            versions.push_back(arg);
        AM_Object::receiveMessage(sender, message, arg, ptr);
    }
    std::vector<uint32_t> versions;
};

TEST(Snapshot, ADifferentVersionIsAnnouncedOnce)
{
    SnapTree t;
    t.man().setVersion(7, true);
    const std::vector<uint8_t> bytes = t.write();
    t.man().setVersion(3, true);
    VersionListener listener;
    listener.setHost(t.engine.host());
    t.man().readSnapshot(bytes.data(), static_cast<uint32_t>(bytes.size()));
    t.man().readSnapshot(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(listener.versions, (std::vector<uint32_t>{7}));
    EXPECT_EQ(t.man().getVersion(), 7u);
    listener.setHost(nullptr);
}

TEST(Snapshot, OddSnapshotsAreReadWithinTheirSize)
{
    SnapTree t;
    std::vector<uint8_t> bytes;
    valueRecord(bytes, 27, 0.5f);
    dataRecord(bytes, 28, {7, 7});          // shorter than the block: zeros follow
    valueRecord(bytes, 65530, 1.0f);        // reserved
    valueRecord(bytes, 4000, 1.0f);         // no such parameter
    dataRecord(bytes, 26, {1, 2, 3, 4, 5}); // a value kind needs its 4 bytes only
    u16(bytes, 200);                        // a length beyond the end
    u16(bytes, 27);
    t.snap->data[kData].assign(kDataBytes, 0xAA);
    t.man().readSnapshot(bytes.data(), static_cast<uint32_t>(bytes.size()));
    EXPECT_EQ(t.man().getValue(t.id(kFloat), false), 0.5f);
    EXPECT_EQ(t.snap->data[kData], (std::vector<uint8_t>{7, 7, 0, 0, 0, 0}));

    // Cut in the middle of its first record: nothing is applied.
    std::vector<uint8_t> cut;
    valueRecord(cut, 27, -1.0f);
    t.man().readSnapshot(cut.data(), 6);
    EXPECT_EQ(t.man().getValue(t.id(kFloat), false), 0.5f);
    t.man().readSnapshot(nullptr, 100);
}

} // namespace
