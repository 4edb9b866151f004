// The platform view manager's part of the timer tick: re-sending every
// parameter value to the bound controls.

#include "gui/views/AM_AGG_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

namespace {
// To the display chain: the parameters were re-sent; data: the preset name.
constexpr uint32_t kMsgParametersRefreshed = 40;
} // namespace

void AM_AGG_ViewMan::onTimer()
{
    if (refreshAllParameters_ != 0 && !isScriptLoading()) {
        refreshAllParameters_ = 0;
        refreshedParameters_ = 0;
        if (AM_View_Interface* ui = getInterface()) {
            const int32_t count = ui->getNumParameters();
            for (int32_t i = 0; i < count; ++i) {
                const AM_ParamInfo* info = ui->getParameterInfo(i, false);
                // Meters are read by their controls' ticks.
                if (info == nullptr || info->type == k_meter) {
                    continue;
                }
                if (const void* value = ui->getParameterValue(i)) {
                    ui->parameterChanged(i, value, false);
                    ++refreshedParameters_;
                }
            }
        }
        parametersRefreshed();
    }
    AM_ViewMan::onTimer();
}

void AM_AGG_ViewMan::requestParameterRefresh()
{
    refreshAllParameters_ = 1;
    refreshedParameters_ = 0;
    clearUndo();
}

void AM_AGG_ViewMan::parametersRefreshed()
{
    AM_ViewControl* first = getDisplayChain();
    if (first == nullptr) {
        return;
    }
    AM_View_Interface* ui = getInterface();
    const char* preset = ui != nullptr ? ui->getCurrentPresetName(nullptr) : nullptr;
    first->receiveMessage(this, kMsgParametersRefreshed, 0, const_cast<char*>(preset));
}
