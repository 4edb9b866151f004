// The plug-in class: its editor seam. Notifications for the editor are
// queued from whichever thread makes them (the audio thread included) and
// delivered on the editor's idle call, so nothing the audio thread calls
// runs editor code. While no editor is open nothing is queued.

#include "plugin/AM_VST_base.h"

#include "plugin/AM_VST_EditorSeam.h"

void AM_VST_base::attachEditor(AM_VST_EditorSeam* editorWindow)
{
    editorOpen_.store(false, std::memory_order_release);
    notifications_.clear();
    editorSeam_ = editorWindow;
    setEditor(editorWindow);
}

void AM_VST_base::notifyEditor(const AM_EditorNotification& notification)
{
    if (editorOpen_.load(std::memory_order_acquire))
        notifications_.push(notification);
}

void AM_VST_base::deliverNotifications()
{
    takePendingProgramName();
    AM_VST_ViewSeam* view = editorSeam_ != nullptr ? editorSeam_->getViewInterface() : nullptr;
    AM_EditorNotification notification;
    while (notifications_.pop(notification)) {
        if (view == nullptr)
            continue;
        switch (notification.kind) {
        case AM_EditorNotification::kParameterChanged:
            view->parameterChanged(notification.index, notification.value, notification.published);
            break;
        case AM_EditorNotification::kProgramChanged:
            view->hostProgramChanged();
            break;
        case AM_EditorNotification::kProgramNameChanged:
            view->hostProgramNameChanged(programName_);
            break;
        case AM_EditorNotification::kMidiLearned:
            view->midiLearned(notification.index);
            break;
        }
    }
}
