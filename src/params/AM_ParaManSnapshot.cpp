// The compact snapshot: every saved value as a small binary record, quick
// to write and to apply (the MIDI program banks keep their presets so).
//
// Records start at multiples of 4; all numbers little-endian:
//   u16 payload length L (0 ends the snapshot), u16 global id (65535: the
//   version record), L bytes of payload, zero bytes up to a multiple of 4.
// Payloads: the version as u32 (always first); a value as f32 (integers,
// lists, floats and assignments); a data block's bytes.
//
// A snapshot carries no names: it fits only the engine build that wrote it.

#include "params/AM_ParaMan.h"

#include "engine/module/AM_EngineOwner.h"
#include "engine/module/AM_ProcessContext.h"
#include "foundation/AM_STD.h"

#include <cstring>

namespace {

constexpr uint32_t kVersionId = 65535;
constexpr uint32_t kFirstReservedId = 65521;
constexpr uint32_t kRecordHeader = 4;
constexpr uint32_t kValueRecord = 8;
constexpr uint32_t kValueBytes = 4;
constexpr uint32_t kAlignment = 4;
constexpr uint32_t kMaxPayload = 65535;
// Reported beyond the records: the ending zero length and a reserve.
constexpr uint32_t kSizeReserve = 20;
constexpr float kSnapshotSampleRate = 44100.0f;

uint32_t padded(uint32_t n)
{
    return (n + kAlignment - 1) / kAlignment * kAlignment;
}

void putU16(uint8_t* out, uint32_t value)
{
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

void putU32(uint8_t* out, uint32_t value)
{
    putU16(out, value);
    putU16(out + 2, value >> 16);
}

uint32_t getU16(const uint8_t* in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8;
}

uint32_t getU32(const uint8_t* in)
{
    return getU16(in) | getU16(in + 2) << 16;
}

uint32_t dataSize(const AM_ParamInfo& info)
{
    return info.max > 0.0f && info.max <= static_cast<float>(kMaxPayload)
               ? static_cast<uint32_t>(info.max)
               : 0;
}

bool isValueKind(uint32_t kind)
{
    return kind == k_kindInteger || kind == k_kindFloat || kind == k_kindXYAxis ||
           kind == k_kindAssignment;
}

} // namespace

const uint8_t* AM_ParaMan::writeSnapshot(uint32_t* size)
{
    if (size)
        *size = 0;
    // Room for every record that may be written, whatever is active now.
    uint64_t worst = kValueRecord;
    for (int32_t id = 0; table_ && id < parameterCount_ && id < static_cast<int32_t>(kVersionId);
         ++id) {
        const AM_ParamInfo& p = table_[id];
        if (isValueKind(p.kind()))
            worst += kValueRecord;
        else if (p.kind() == k_kindData)
            worst += kRecordHeader + padded(dataSize(p));
    }
    if (!reserveStateBuffer(worst + kSizeReserve + kValueRecord)) {
        AM_STD::printv("AM_ParaMan::writeSnapshot: the snapshot does not fit");
        return nullptr;
    }
    auto* out = reinterpret_cast<uint8_t*>(stateBuffer_);
    // The Part's room: the capacity less the ending zero length's 8 bytes.
    int64_t room = static_cast<int64_t>(stateCapacity_) - kValueRecord;
    uint32_t used = 0;
    if (room > kValueBytes) {
        putU16(out, kValueBytes);
        putU16(out + 2, kVersionId);
        putU32(out + kRecordHeader, getVersion());
        used += kValueRecord;
        room -= kValueRecord;
    }
    int32_t previousModule = -1;
    bool moduleActive = true;
    for (int32_t id = 0; table_ && id < parameterCount_ && id < static_cast<int32_t>(kVersionId);
         ++id) {
        const AM_ParamInfo& p = table_[id];
        if (p.kind() == k_meter ||
            (p.flags & (k_paramHidden | k_paramNotSaved | k_paramNoSnapshot)) != 0)
            continue;
        if (p.moduleIndex != previousModule) {
            previousModule = p.moduleIndex;
            AM_AudioObject* module = moduleOf(p.moduleIndex);
            moduleActive = !module || module->isActive(p.moduleIndex);
        }
        if (!moduleActive)
            continue;
        if (isValueKind(p.kind())) {
            if (room >= kValueBytes + 1) {
                const float value = getValue(id, false);
                uint32_t bits = 0;
                std::memcpy(&bits, &value, sizeof(bits));
                putU16(out + used, kValueBytes);
                putU16(out + used + 2, static_cast<uint32_t>(id));
                putU32(out + used + kRecordHeader, bits);
                used += kValueRecord;
            }
            room -= kValueRecord;
        } else if (p.kind() == k_kindData) {
            const uint32_t bytes = dataSize(p);
            if (bytes == 0 || !owner_ || !owner_->getBinaryParameterData(id))
                continue;
            if (room > static_cast<int64_t>(bytes)) {
                putU16(out + used, bytes);
                putU16(out + used + 2, static_cast<uint32_t>(id));
                owner_->copyBinaryParameterData(id, out + used + kRecordHeader, bytes);
                used += kRecordHeader + padded(bytes);
            }
            room -= kRecordHeader + padded(bytes);
        }
    }
    // The buffer was zeroed: the ending zero length and the reserve follow.
    if (size)
        *size = used + kSizeReserve;
    return out;
}

void AM_ParaMan::readSnapshot(const uint8_t* snapshot, uint32_t size)
{
    if (!snapshot || !table_)
        return;
    const bool wasLoading = isLoading();
    setLoading(true);
    emptyChangeQueue();
    AM_ParamChangeContext changeContext{kSnapshotSampleRate};
    uint32_t at = 0;
    while (size - at >= kRecordHeader) {
        const uint32_t length = getU16(snapshot + at);
        const uint32_t id = getU16(snapshot + at + 2);
        if (length == 0 || length > size - at - kRecordHeader)
            break;
        const uint8_t* payload = snapshot + at + kRecordHeader;
        if (id == kVersionId) {
            if (length >= kValueBytes)
                setVersion(getU32(payload), false);
        } else if (id < kFirstReservedId && static_cast<int32_t>(id) < parameterCount_) {
            const AM_ParamInfo& p = table_[id];
            if (isValueKind(p.kind()) && length >= kValueBytes) {
                const uint32_t bits = getU32(payload);
                float value = 0.0f;
                std::memcpy(&value, &bits, sizeof(value));
                int32_t target = static_cast<int32_t>(id);
                setParam(&target, &value, &changeContext, true);
            } else if (p.kind() == k_kindData && owner_) {
                // Handed over in place with its length, so that applying a
                // snapshot allocates nothing: the owner fills a shorter
                // payload up with zeros and cuts a longer one.
                if (dataSize(p) > 0)
                    owner_->setBinaryParameterData(static_cast<int32_t>(id), payload, length);
            }
        }
        const uint32_t step = kRecordHeader + padded(length);
        if (step > size - at)
            break;
        at += step;
    }
    switchQueueOff();
    setLoading(wasLoading);
}
