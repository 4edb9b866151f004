#pragma once
// The frame of a fuzz target over GUI controls: a clean process state for
// each run, a view manager over the target's host, and the gestures every
// such target sends (presses with drags, double clicks, menu commands,
// timer ticks).

#include "FuzzReader.h"
#include "engine/module/AM_PluginInfo.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/views/AM_PlaceholderControl.h"
#include "gui/views/AM_ViewMan.h"
#include "platform/Trace.h"
#include "presets/AM_View_Interface.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

namespace testsupport {

// Drops the trace and clears what an earlier run left in the process; call
// first, before the host is made.
inline void beginFuzzRun()
{
    platform::setTraceSink([](void*, const char*) {}, nullptr);
    platform::setStandardOutputSink([](void*, const char*) {}, nullptr);
    AM_ViewMan::resetProcessState();
    AM_View_Interface::resetProcessState();
    AM_PlaceholderControl::resetAnnouncements();
    AM_Colour::resetColourCounter();
}

// A view manager over the host with the default types registered; the
// caller installs the control types it fuzzes.
inline std::unique_ptr<AM_ViewMan> makeFuzzViewMan(AM_View_Interface* host)
{
    auto vm = std::make_unique<AM_ViewMan>(host, nullptr, nullptr);
    AM_PluginInfo info{};
    std::strncpy(info.effectName, "Fuzz", sizeof info.effectName - 1);
    vm->setProcessDescription(&info);
    vm->init(nullptr);
    vm->registerDefaults();
    return vm;
}

// Registers a control and shows it on every layer, out of edit mode.
inline void showFuzzControl(AM_ViewMan& vm, AM_ViewControl* control)
{
    vm.registerControl(control, nullptr);
    control->setVisible(true, 0xFFFFFFFFu, false);
    control->setEditMode(false);
}

// A press; when the control takes it, up to five drags, each followed by
// afterDrag(), and the release where the last drag ended.
template <class AfterDrag>
void fuzzPressDragRelease(FuzzReader& in, AM_ViewControl* target, uint32_t buttons,
                          AfterDrag&& afterDrag)
{
    float point[2] = {in.coordinate(), in.coordinate()};
    if (!target->handleMouseDown(point, buttons, 0))
        return;
    for (int drags = in.byte() % 6; drags > 0; --drags) {
        point[0] = in.coordinate();
        point[1] = in.coordinate();
        target->handleMouseDrag(point, buttons, 0);
        afterDrag();
    }
    target->handleMouseUp(point, buttons, 0);
}

inline void fuzzPressDragRelease(FuzzReader& in, AM_ViewControl* target, uint32_t buttons)
{
    fuzzPressDragRelease(in, target, buttons, [] {});
}

inline void fuzzDoubleClick(FuzzReader& in, AM_ViewControl* target, uint32_t buttons)
{
    const float point[2] = {in.coordinate(), in.coordinate()};
    target->onDoubleClick(point, buttons);
}

// Command 5 or 16 of any sub-index with any value, from the control's own
// menu or from the edit menu.
inline void fuzzMenuCommand(FuzzReader& in, AM_ViewControl* target)
{
    AM_MenuItem item;
    item.command = uint32_t(in.byte()) << 16 | (in.byte() & 1 ? 5u : 16u);
    item.value = int8_t(in.byte());
    const uint32_t menu = in.byte() & 1 ? 0u : 0x7FFFFFFFu;
    target->handleMenuCommand(nullptr, menu, true, &item);
}

// One to eight timer ticks to every control.
inline void fuzzTicks(FuzzReader& in, std::span<AM_ViewControl* const> controls)
{
    for (int ticks = in.byte() % 8; ticks >= 0; --ticks)
        for (AM_ViewControl* c : controls)
            c->onTimer();
}

} // namespace testsupport
