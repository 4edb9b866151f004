// Drives a voice circuit (both layouts, every mode) with arbitrary MIDI,
// parameter changes, tuning tables, wheel positions and block lengths, and
// checks that its voices and the events it sends stay within their tables.

#include "VoiceRig.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t i = 0;
    auto next = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
    voicetest::RigOptions options;
    const uint8_t shape = next();
    options.voices = 1 + shape % 24;
    options.minimal = (shape & 0x20) != 0;
    options.resetFlag = (shape & 0x40) != 0;
    options.probeRow = (shape & 0x80) != 0;
    voicetest::VoiceRig rig(options);
    AM_VoiceCircuitMin& c = *rig.vcc;
    const uint32_t own = c.getOwnParameterCount();
    const uint32_t rows = c.getCircuitParameterCount();

    while (i < size) {
        const uint8_t op = next();
        switch (op % 8) {
        case 0:
            rig.note(next() - 64, static_cast<float>(next()), next());
            break;
        case 1:
            rig.off(next() - 64, next());
            break;
        case 2:
            rig.midi(4, static_cast<int32_t>(next()) - 130, next() / 100.0f, 0.0f, 0);
            break;
        case 3:
            rig.pedal(next() & 1);
            break;
        case 4: {
            const uint32_t p = next() % own;
            const AM_ParamInfo* info = c.getParameterTemplate(rows + p);
            const float span = info->max - info->min;
            rig.set(p, info->min - 2.0f + (span + 4.0f) * static_cast<float>(next()) / 255.0f);
            break;
        }
        case 5: {
            float value = 0.0f;
            uint8_t bytes[4] = {next(), next(), next(), next()};
            std::memcpy(&value, bytes, sizeof(value));
            c.getParams()->tuningTable[next() % k_tuningKeys] = value;
            break;
        }
        case 6:
            rig.setWheelRow(static_cast<float>(next()) / 64.0f - 2.0f);
            break;
        default:
            if ((op & 0x40) != 0)
                rig.midi(6, 0, 0.0f, 0.0f, 0);
            rig.run(1 + next() % 3, 1 + next() % 4);
            break;
        }
        for (const auto& e : rig.probe->events) {
            check(e.voice >= 0 && e.voice < static_cast<int32_t>(options.voices));
            check(e.type >= 0 && e.type <= 3);
        }
        for (const auto& r : rig.probe->runs) {
            check(static_cast<uint32_t>(r.voice) < options.voices);
            check(r.start >= 0 && r.length > 0 && r.start + r.length <= k_maxUnitsPerBlock);
            check(r.presentKey >= 0 && r.presentKey <= 127);
        }
        rig.probe->clear();
        for (uint32_t v = 0; v < options.voices; ++v) {
            const AM_VoiceRecord& rec = rig.voice(v);
            check(rec.state >= k_voiceIdle && rec.state <= k_voiceStolen);
            check(rec.key >= 0 && rec.key <= 127);
            check(rec.pendingTime >= 0);
            check(rec.glidePhase[0] >= 0.0f && rec.glidePhase[0] <= 1.0f);
        }
        check(c.getQueue()->linksIntact());
    }
    return 0;
}
