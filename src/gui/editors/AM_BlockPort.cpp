#include "gui/editors/AM_BlockPort.h"

#include "gui/views/AM_ViewControl.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

size_t AM_portBlockSize(AM_ViewControl* control, int32_t port)
{
    const AM_PortRecord* record = control != nullptr ? control->getPort(port) : nullptr;
    if (record == nullptr || record->parameter == nullptr) {
        return 0;
    }
    const float size = record->parameter->max;
    // Beyond any block a parameter describes; keeps the conversion defined.
    constexpr float kLargest = 1 << 24;
    if (!std::isfinite(size) || size < 1.0f) {
        return 0;
    }
    return static_cast<size_t>(std::min(size, kLargest));
}

void AM_sendBlock(AM_ViewControl* control, int32_t port, const void* block, size_t bytes)
{
    if (control == nullptr || block == nullptr) {
        return;
    }
    const size_t size = AM_portBlockSize(control, port);
    if (size <= bytes) {
        control->setValueFromUser(port, block);
        return;
    }
    std::vector<uint8_t> staged(size, 0);
    AM_ViewMan* viewMan = control->getViewMan();
    AM_View_Interface* host = viewMan != nullptr ? viewMan->getInterface() : nullptr;
    const void* current = host != nullptr ? host->getParameterValue(
                                                int32_t(control->getPort(port)->parameter->index))
                                          : nullptr;
    if (current != nullptr) {
        std::memcpy(staged.data(), current, size);
    }
    std::memcpy(staged.data(), block, bytes);
    control->sendValueToParameter(port, staged.data());
    control->AM_ViewControl::setParameterValue(port, block);
}
