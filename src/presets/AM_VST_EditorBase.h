#pragma once
// The part of the plug-in's editor window that owns the GUI-to-engine
// interface. Opening creates the interface first, then the view (window and
// view manager, which initialise the interface), then announces the host's
// program; closing ends the view first and the interface after it. The
// editor window derives from it and builds the view in openView.
//
// The plug-in owns its editor; the editor reaches the plug-in through it.
// A derived editor closes itself in its own destructor (this destructor
// can only drop the interface).
//
// Threads: the host's user-interface thread (the editor opcodes).

#include "plugin/AM_VST_EditorSeam.h"
#include "plugin/vst/VstEditorTypes.h"

#include <cstdint>
#include <memory>

class AM_VST_View_Interface;
class AM_VST_base;

class AM_VST_EditorBase : public AM_VST_EditorSeam {
public:
    // The editor's size in GUI units until the view asks for another.
    static constexpr int16_t kWidth = 1000;
    static constexpr int16_t kHeight = 400;

    explicit AM_VST_EditorBase(AM_VST_base* effect);
    ~AM_VST_EditorBase() override;

    bool getRect(ERect** rect) override;
    // Creates the interface, builds the view and announces the host's
    // program; false (nothing kept) when the view cannot be built.
    bool open(void* parentWindow) override;
    void close() override;
    // The open editor's interface; null while closed.
    AM_VST_ViewSeam* getViewInterface() override;
    AM_VST_View_Interface* getInterface() const { return interface_.get(); }

    AM_VST_base* getPlugin() const { return plugin_; }
    // Resizes the editor: its rectangle, the host's window when the host
    // says it can size windows, and the view. False when the size is
    // refused.
    virtual bool sizeWindow(int32_t width, int32_t height);
    // The editor's own window (the owner of its dialogs); null here.
    virtual void* getWindow();

protected:
    // Builds the view inside the parent window; its view manager
    // initialises the interface. Here: no view, the interface initialised
    // without a view manager.
    virtual bool openView(void* parentWindow, AM_VST_View_Interface& viewInterface);
    // Ends the view built by openView. Nothing here.
    virtual void closeView();
    // Resizes the view's window. Nothing here.
    virtual void resizeView(int32_t width, int32_t height);

private:
    // The program name that stands for the initial program.
    static constexpr char kInitialProgram[] = "initialize";
    // Tells the interface of the host's program: by name for the initial
    // program, else as a program change (values re-sent).
    void announceProgram();

    AM_VST_base* plugin_;
    ERect rect_{0, 0, kHeight, kWidth};
    std::unique_ptr<AM_VST_View_Interface> interface_;
};
