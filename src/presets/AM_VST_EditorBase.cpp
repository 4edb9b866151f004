// The editor window's part that owns the GUI-to-engine interface.

#include "presets/AM_VST_EditorBase.h"

#include "foundation/AM_STD.h"
#include "plugin/AM_VST_base.h"
#include "presets/AM_VST_View_Interface.h"

#include <cstring>
#include <limits>

AM_VST_EditorBase::AM_VST_EditorBase(AM_VST_base* effect)
    : AM_VST_EditorSeam(effect), plugin_(effect)
{
}

AM_VST_EditorBase::~AM_VST_EditorBase()
{
    // The derived editor has ended its view already; the interface goes
    // before the plug-in's engine does.
    interface_.reset();
}

bool AM_VST_EditorBase::getRect(ERect** rect)
{
    if (rect == nullptr)
        return false;
    *rect = &rect_;
    return true;
}

bool AM_VST_EditorBase::open(void* parentWindow)
{
    if (interface_)
        close();
    AEffEditor::open(parentWindow);
    interface_ = std::make_unique<AM_VST_View_Interface>(*this);
    if (!openView(parentWindow, *interface_)) {
        AM_STD::printv("AM_VST_EditorBase::open: the view could not be built");
        interface_.reset();
        AEffEditor::close();
        return false;
    }
    announceProgram();
    return true;
}

void AM_VST_EditorBase::announceProgram()
{
    // A program named "..." is the initial one, announced by name only.
    char program[AM_VST_base::kProgramNameBytes] = {};
    if (plugin_ != nullptr)
        plugin_->getProgramName(program);
    program[sizeof program - 1] = 0;
    if (std::strcmp(program, "...") == 0)
        std::strcpy(program, kInitialProgram);
    if (std::strcmp(program, kInitialProgram) == 0)
        interface_->hostProgramNameChanged(program);
    else
        interface_->hostProgramChanged();
}

void AM_VST_EditorBase::close()
{
    if (interface_)
        closeView();
    interface_.reset();
    AEffEditor::close();
}

AM_VST_ViewSeam* AM_VST_EditorBase::getViewInterface()
{
    return interface_.get();
}

bool AM_VST_EditorBase::sizeWindow(int32_t width, int32_t height)
{
    constexpr int32_t kLargest = std::numeric_limits<int16_t>::max();
    if (width <= 0 || height <= 0 || width > kLargest || height > kLargest)
        return false;
    rect_.top = 0;
    rect_.left = 0;
    rect_.right = static_cast<int16_t>(width);
    rect_.bottom = static_cast<int16_t>(height);
    // Only a host that says it can size windows is asked to; the view
    // takes the size either way (a host's window that stays smaller clips
    // it).
    if (plugin_ != nullptr) {
        char canSize[] = "sizeWindow";
        if (plugin_->canHostDo(canSize) != 0 && !plugin_->sizeWindow(width, height))
            AM_STD::printv("The host did not size the window to %d %d", int(width), int(height));
    }
    resizeView(width, height);
    return true;
}

void* AM_VST_EditorBase::getWindow()
{
    return nullptr;
}

bool AM_VST_EditorBase::openView(void*, AM_VST_View_Interface& viewInterface)
{
    viewInterface.initialize(nullptr);
    return true;
}

void AM_VST_EditorBase::closeView() {}

void AM_VST_EditorBase::resizeView(int32_t, int32_t) {}
