// Any bytes as the blocks the three editors receive from the engine, then
// any sequence of presses, drags and releases with any buttons, timer
// ticks, menu commands with any sub-index and value, layer changes and
// paintings: nothing may read or write out of bounds, every coordinate
// drawn is a number, and the blocks the editors send keep their
// invariants.
#include "FiniteCheckingContext.h"
#include "FuzzGui.h"
#include "FuzzReader.h"
#include "FuzzViewHost.h"
#include "gui/editors/AM_EditorControls.h"
#include "gui/editors/AM_EnvelopeBlock.h"
#include "gui/editors/AM_View_MultiOrder.h"
#include "gui/editors/AM_View_MultiStage.h"
#include "gui/editors/AM_View_Multipoint.h"
#include "gui/editors/AM_WaveRender.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace testsupport;

// Block parameters for the editors' ports, with no engine behind them.
class BlockInterface : public FuzzViewHost {
public:
    enum : int32_t {
        kCurve,
        kWaves,
        kSelect,
        kMode,
        kEnv1,
        kPhase1 = kEnv1 + 4,
        kCount = kPhase1 + 4
    };

    BlockInterface() : FuzzViewHost(BadWrites::ignore)
    {
        addModule("Osc");
        addParameter(AM_makeParamInfo(0, "Curve", "Curve", 0x204, 0, float(AM_WavesetBlock::kBytes),
                                      0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Waves", "Waves", 0x404, 0,
                                      float(AM_WaveValueBlock::kBytes), 0, 0, 0));
        addParameter(AM_makeParamInfo(0, "Select", "Select", k_kindFloat, 1, 16, 1, 0, 0));
        addParameter(AM_makeParamInfo(0, "Mode", "Mode", k_kindInteger, 0, 3, 0, 0, 0));
        for (int e = 0; e < 4; ++e)
            addParameter(AM_makeParamInfo(0, "Env", "Env", 0x504, 0,
                                          float(AM_EnvelopeBlock::kBytes), 0, 0, 0));
        for (int e = 0; e < 4; ++e)
            addParameter(AM_makeParamInfo(0, "Phase", "Phase", k_meter, 0, 128, 0, 0, 0));
    }
};

float field(const std::vector<uint8_t>& bytes, size_t offset)
{
    float v = 0;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}
int32_t word(const std::vector<uint8_t>& bytes, size_t offset)
{
    int32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

// A block an editor sent is whole as it stands: the engine gets nothing it
// would have to mend.
void checkSent(const BlockInterface& host)
{
    if (host.sentByEditor(BlockInterface::kCurve)) {
        const std::vector<uint8_t>& b = host.block(BlockInterface::kCurve);
        const int32_t n = word(b, 8192);
        fuzzCheck(n >= AM_WavesetBlock::kMinPoints && n <= AM_WavesetBlock::kMaxPoints);
        for (int w = 0; w < 16; ++w) {
            fuzzCheck(field(b, size_t(w * 32) * 4) == 0.0f);
            for (int p = 0; p < n; ++p) {
                const size_t at = size_t(w * 32 + p) * 4;
                const float x = field(b, at);
                fuzzCheck(x >= 0.0f && x <= 1.0f);
                fuzzCheck(p == 0 || field(b, at - 4) <= x);
                for (size_t array = 1; array < 4; ++array)
                    fuzzCheck(std::fabs(field(b, at + array * 2048)) <= 1.0f);
            }
        }
    }
    if (host.sentByEditor(BlockInterface::kWaves)) {
        const std::vector<uint8_t>& b = host.block(BlockInterface::kWaves);
        for (size_t at = 0; at < b.size(); at += 4)
            fuzzCheck(std::fabs(field(b, at)) <= 1.0f);
    }
    for (int e = 0; e < 4; ++e) {
        if (!host.sentByEditor(BlockInterface::kEnv1 + e))
            continue;
        const std::vector<uint8_t>& b = host.block(BlockInterface::kEnv1 + e);
        const int32_t n = word(b, 4);
        const int32_t loopStart = word(b, 8);
        const int32_t loopEnd = word(b, 12);
        fuzzCheck(n >= 1 && n <= AM_EnvelopeBlock::kMaxSegments);
        fuzzCheck(loopStart >= 0 && loopStart <= loopEnd && loopEnd <= n);
        fuzzCheck(field(b, 32) == 0.0f);
        for (int i = 0; i <= n; ++i) {
            const size_t at = 32 + size_t(i) * 16;
            const float time = field(b, at);
            fuzzCheck(time >= 0.0f && time <= AM_EnvelopeBlock::kMaxTime);
            fuzzCheck(i == 0 || field(b, at - 16) <= time);
            const float level = field(b, at + 4);
            fuzzCheck(level >= 0.0f && level <= 1.0f);
            fuzzCheck(std::fabs(field(b, at + 8)) <= 1.0f && std::fabs(field(b, at + 12)) <= 1.0f);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    beginFuzzRun();
    AM_View_Multipoint::resetClipboard();
    AM_View_MultiStage::resetClipboard();
    resetSharedWaveTable();

    FuzzReader in(data, size);
    BlockInterface host;
    {
        auto vm = makeFuzzViewMan(&host);
        AM_installEditorControls(vm.get());

        const AM_Rect pointBounds{0, 0, 200, 100};
        const AM_Rect orderBounds{0, 104, 200, 16};
        const AM_Rect stageBounds{0, 124, 200, 100};
        auto* editor =
            dynamic_cast<AM_View_Multipoint*>(vm->createControl("MultiPoint", &pointBounds));
        auto* order =
            dynamic_cast<AM_View_MultiOrder*>(vm->createControl("MultiOrder", &orderBounds));
        auto* stage =
            dynamic_cast<AM_View_MultiStage*>(vm->createControl("MultiStage", &stageBounds));
        fuzzCheck(editor != nullptr && order != nullptr && stage != nullptr);
        AM_ViewControl* controls[] = {editor, order, stage};
        for (AM_ViewControl* c : controls)
            showFuzzControl(*vm, c);
        for (int32_t p = 0; p < 4; ++p)
            editor->setPortParameter(p, host.getParameterInfo(p, false));
        for (int32_t p = 0; p < 8; ++p) {
            if (in.byte() & 1)
                stage->setPortParameter(p, host.getParameterInfo(BlockInterface::kEnv1 + p, false));
        }
        order->linkEditor(editor);
        FiniteCheckingContext context;

        for (int step = 0; step < 200 && !in.done(); ++step) {
            const uint8_t op = in.byte();
            AM_ViewControl* target = controls[op % 3];
            const uint32_t buttons = in.byte() & 0xF;
            switch ((op >> 2) % 8) {
            case 0:
                host.engineSets(in.byte() % BlockInterface::kCount, in);
                break;
            case 1:
            case 2:
                fuzzPressDragRelease(in, target, buttons);
                break;
            case 3:
                fuzzDoubleClick(in, target, buttons);
                break;
            case 4:
                fuzzMenuCommand(in, target);
                break;
            case 5:
                fuzzTicks(in, controls);
                break;
            case 6: {
                const uint32_t layers = in.byte();
                target->setVisible(in.byte() & 1, layers, false);
                break;
            }
            default:
                for (AM_ViewControl* c : controls)
                    c->draw(&context);
                break;
            }
            checkSent(host);
        }
        for (AM_ViewControl* c : controls)
            c->draw(&context);
        checkSent(host);
    }
    return 0;
}
