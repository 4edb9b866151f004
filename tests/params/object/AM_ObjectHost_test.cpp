#include "params/object/AM_ObjectHost.h"

#include "TraceCapture.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_Object.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Received {
    AM_Object* sender;
    uint32_t message;
    uint32_t arg;
    void* ptr;
};

// Records every message and can act on one.
class Probe : public AM_Object {
public:
    explicit Probe(uint32_t mask = 0) { mask_ = mask; }
    void setMask(uint32_t mask) { mask_ = mask; }
    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr) override
    {
        received.push_back({sender, message, arg, ptr});
        if (onMessage)
            onMessage(message);
        AM_Object::receiveMessage(sender, message, arg, ptr);
    }
    int count(uint32_t message) const
    {
        int n = 0;
        for (const Received& r : received)
            n += r.message == message ? 1 : 0;
        return n;
    }
    std::vector<Received> received;
    std::function<void(uint32_t)> onMessage;
};

constexpr uint32_t kPing = 100;

std::vector<AM_Object*> order(const AM_ObjectHost& host)
{
    std::vector<AM_Object*> objects;
    for (int32_t i = 0; i < host.getCount(); ++i)
        objects.push_back(host.getObjectAt(i));
    return objects;
}

TEST(AM_ObjectHost, GrowsByTenWithATraceLineWhenFull)
{
    testsupport::TraceCapture trace;
    AM_ObjectHost host(3);
    std::vector<std::unique_ptr<Probe>> probes;
    for (int i = 0; i < 13; ++i)
        probes.push_back(std::make_unique<Probe>());

    probes[0]->setHost(&host);
    probes[1]->setHost(&host);
    EXPECT_EQ(host.getCapacity(), 3);
    EXPECT_FALSE(trace.contains("exceeded"));

    probes[2]->setHost(&host); // count 2 = capacity - 1 before the append
    EXPECT_EQ(host.getCapacity(), 13);
    EXPECT_EQ(
        trace.count("Number of Objects exceeded 3. Please increase initial size in AM_Host!\n"), 1);

    for (int i = 3; i < 13; ++i)
        probes[static_cast<size_t>(i)]->setHost(&host);
    EXPECT_EQ(host.getCapacity(), 23);
    EXPECT_EQ(trace.count("Number of Objects exceeded 13."), 1);
    EXPECT_EQ(host.getCount(), 13);

    // Every entry survived the two moves.
    Probe sender;
    sender.setHost(&host);
    sender.sendMessage(0, kPing, 0, nullptr);
    for (const auto& probe : probes)
        EXPECT_EQ(probe->count(kPing), 1);
    for (auto& probe : probes)
        probe->setHost(nullptr);
    sender.setHost(nullptr);
}

TEST(AM_ObjectHost, RemovalMovesTheLastEntryIntoTheGap)
{
    AM_ObjectHost host(10);
    Probe a, b, c, stranger;
    a.setHost(&host);
    b.setHost(&host);
    c.setHost(&host);

    host.removeObject(&stranger);
    EXPECT_EQ(order(host), (std::vector<AM_Object*>{&a, &b, &c}));

    host.removeObject(&a);
    EXPECT_EQ(order(host), (std::vector<AM_Object*>{&c, &b}));
    a.setHost(nullptr);
    b.setHost(nullptr);
    c.setHost(nullptr);
}

TEST(AM_ObjectHost, RegisteringTwiceKeepsOneEntryWithTheNewMask)
{
    AM_ObjectHost host(10);
    Probe sender;
    Probe target(0);
    sender.setHost(&host);
    target.setHost(&host);
    target.setMask(k_classAudioObject);
    host.addObject(&target);

    EXPECT_EQ(host.getCount(), 2);
    sender.sendMessage(k_classAudioObject, kPing, 0, nullptr);
    EXPECT_EQ(target.count(kPing), 1);
    sender.setHost(nullptr);
    target.setHost(nullptr);
}

struct MaskCase {
    const char* name;
    uint32_t broadcastMask;
    bool reachesModule;
    bool reachesPlain;
};

TEST(AM_ObjectHost, DeliversByTheMaskStoredAtRegistrationAndNeverToTheSender)
{
    const MaskCase cases[] = {
        {"modules only", k_classAudioObject, true, false},
        {"everyone", 0, true, true},
        {"a bit nobody has", k_classCircuit, false, false},
    };
    for (const MaskCase& c : cases) {
        SCOPED_TRACE(c.name);
        AM_ObjectHost host(10);
        Probe sender(k_classAudioObject);
        Probe module(k_classAudioObject);
        Probe plain(0);
        sender.setHost(&host);
        module.setHost(&host);
        plain.setHost(&host);

        sender.sendMessage(c.broadcastMask, kPing, 7, &host);
        EXPECT_EQ(module.count(kPing), c.reachesModule ? 1 : 0);
        EXPECT_EQ(plain.count(kPing), c.reachesPlain ? 1 : 0);
        EXPECT_EQ(sender.count(kPing), 0);
        if (c.reachesModule) {
            EXPECT_EQ(module.received.back().sender, &sender);
            EXPECT_EQ(module.received.back().arg, 7u);
            EXPECT_EQ(module.received.back().ptr, &host);
        }
        sender.setHost(nullptr);
        module.setHost(nullptr);
        plain.setHost(nullptr);
    }
}

TEST(AM_ObjectHost, AMaskChangedAfterRegistrationCountsOnlyAfterRegisteringAgain)
{
    AM_ObjectHost host(10);
    Probe sender;
    Probe object(0);
    sender.setHost(&host);
    object.setHost(&host);
    object.setMask(k_classAudioObject);

    sender.sendMessage(k_classAudioObject, kPing, 0, nullptr);
    EXPECT_EQ(object.count(kPing), 0);

    object.setHost(&host);
    sender.sendMessage(k_classAudioObject, kPing, 0, nullptr);
    EXPECT_EQ(object.count(kPing), 1);
    sender.setHost(nullptr);
    object.setHost(nullptr);
}

TEST(AM_ObjectHost, AnObjectAddedDuringABroadcastIsReached)
{
    AM_ObjectHost host(10);
    Probe sender, adder, late;
    sender.setHost(&host);
    adder.setHost(&host);
    adder.onMessage = [&](uint32_t message) {
        if (message == kPing)
            late.setHost(&host);
    };
    sender.sendMessage(0, kPing, 0, nullptr);
    EXPECT_EQ(late.count(kPing), 1);
    sender.setHost(nullptr);
    adder.setHost(nullptr);
    late.setHost(nullptr);
}

TEST(AM_ObjectHost, RemovalDuringABroadcastSkipsNobody)
{
    struct Case {
        const char* name;
        int remover; // index of the probe that acts
        int removed; // index of the probe it removes
    };
    const Case cases[] = {
        {"a receiver removes itself", 1, 1},
        {"a receiver removes one already reached", 2, 0},
        {"a receiver removes one not reached yet", 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AM_ObjectHost host(10);
        Probe sender;
        sender.setHost(&host);
        std::vector<std::unique_ptr<Probe>> probes;
        for (int i = 0; i < 5; ++i) {
            probes.push_back(std::make_unique<Probe>());
            probes.back()->setHost(&host);
        }
        Probe* removed = probes[static_cast<size_t>(c.removed)].get();
        probes[static_cast<size_t>(c.remover)]->onMessage = [&](uint32_t message) {
            if (message == kPing)
                removed->setHost(nullptr);
        };
        sender.sendMessage(0, kPing, 0, nullptr);
        for (int i = 0; i < 5; ++i) {
            const bool skippedOnPurpose = i == c.removed && c.removed > c.remover;
            EXPECT_EQ(probes[static_cast<size_t>(i)]->count(kPing), skippedOnPurpose ? 0 : 1)
                << "probe " << i;
        }
        EXPECT_EQ(host.getCount(), 5); // sender and the four left
        for (int32_t i = 0; i < host.getCount(); ++i)
            EXPECT_NE(host.getObjectAt(i), nullptr);
        for (auto& probe : probes)
            probe->setHost(nullptr);
        sender.setHost(nullptr);
    }
}

TEST(AM_ObjectHost, AnObjectDeletedDuringABroadcastIsNotCalled)
{
    AM_ObjectHost host(10);
    Probe sender;
    sender.setHost(&host);
    auto first = std::make_unique<Probe>();
    auto doomed = std::make_unique<Probe>();
    auto last = std::make_unique<Probe>();
    first->setHost(&host);
    doomed->setHost(&host);
    last->setHost(&host);
    first->onMessage = [&](uint32_t message) {
        if (message == kPing)
            doomed.reset();
    };
    sender.sendMessage(0, kPing, 0, nullptr);
    EXPECT_EQ(last->count(kPing), 1);
    EXPECT_EQ(host.getCount(), 3);
    first->setHost(nullptr);
    last->setHost(nullptr);
    sender.setHost(nullptr);
}

TEST(AM_ObjectHost, RequestReplyAnswersEachSenderOnceAndNeverWith13)
{
    AM_ObjectHost host(10);
    Probe manager(0);
    Probe m1(k_classAudioObject), m2(k_classAudioObject), m3(k_classAudioObject);
    manager.setHost(&host);
    m1.setHost(&host);
    m2.setHost(&host);
    m3.setHost(&host);

    manager.sendMessage(k_classAudioObject, k_msgRequestReply, k_msgCountMe, nullptr);
    ASSERT_EQ(manager.count(k_msgCountMe), 3);
    std::vector<AM_Object*> senders;
    for (const Received& r : manager.received) {
        EXPECT_EQ(r.arg, static_cast<uint32_t>(k_msgRequestReply));
        senders.push_back(r.sender);
    }
    EXPECT_EQ(senders, (std::vector<AM_Object*>{&m1, &m2, &m3}));

    manager.received.clear();
    manager.sendMessage(k_classAudioObject, k_msgRequestReply, k_msgRequestReply, nullptr);
    EXPECT_TRUE(manager.received.empty());
    for (Probe* p : {&manager, &m1, &m2, &m3})
        p->setHost(nullptr);
}

TEST(AM_ObjectHost, DestroyingTheHostReleasesEveryObject)
{
    auto host = std::make_unique<AM_ObjectHost>(10);
    AM_ObjectHost* raw = host.get();
    auto a = std::make_unique<Probe>();
    auto b = std::make_unique<Probe>();
    a->setHost(raw);
    b->setHost(raw);

    host.reset();
    for (Probe* p : {a.get(), b.get()}) {
        ASSERT_EQ(p->count(k_msgHostDeleted), 1);
        EXPECT_EQ(p->received.back().sender, nullptr);
        EXPECT_EQ(p->received.back().ptr, raw);
        EXPECT_EQ(p->getHost(), nullptr);
    }
    a.reset(); // must not touch the freed host
    b->sendMessage(0, kPing, 0, nullptr);
}

TEST(AM_ObjectHost, AnObjectMadeWithAHostRegistersAtOnceAndLeavesWhenDeleted)
{
    AM_ObjectHost host(10);
    {
        AM_Object object(&host);
        EXPECT_EQ(host.getCount(), 1);
        EXPECT_EQ(host.getObjectAt(0), &object);
    }
    EXPECT_EQ(host.getCount(), 0);
}

} // namespace
