#pragma once
// The view manager that the editor window creates: it draws with the
// software context (AM_AGG_Context) into a canvas shown on the window's
// surface, and makes PNG graphics that the software context draws.
//
// GUI thread only.

#include "gui/graphics/AM_AGG_Context.h"
#include "gui/views/AM_ViewMan.h"

#include <cstdint>
#include <memory>

namespace platform {
class Surface;
}

class AM_AGG_ViewMan : public AM_ViewMan {
public:
    // The base construction, then cleared canvas bounds and a new software
    // context for the window's surface (which may be null).
    AM_AGG_ViewMan(AM_View_Interface* interface, void* owner, void* ownerWindow,
                   platform::Surface* window);
    ~AM_AGG_ViewMan() override;

    // The base init, then the canvas takes the given bounds (applyCanvas).
    bool init(const AM_Rect* bounds) override;
    bool handleMouseDown(float x, float y, uint32_t buttons) override;
    AM_Context* getContext() override;

    // The base tick, preceded by a pending re-send of every parameter value
    // (set at construction, so the first tick after opening shows the
    // engine's state on every bound control).
    void onTimer() override;
    // The next tick re-sends every parameter value; the undo lists are
    // cleared (the values they hold are no longer the engine's).
    void requestParameterRefresh() override;
    // The first control of the display chain gets message 40 with the
    // current preset name.
    void parametersRefreshed() override;
    bool isParameterRefreshPending() const { return refreshAllParameters_ != 0; }
    // Parameters re-sent by the last refresh.
    uint32_t getRefreshedParameters() const { return refreshedParameters_; }

    // Hands the canvas bounds to the context and the font folder (path slot
    // kPathFonts) to its text.
    virtual void applyCanvas();
    // A new PNG graphic of an image file (null without a path or name).
    virtual AM_Graphic* createGraphic(const char* fullPath, const char* fileName,
                                      uint32_t alternative);

    const AM_Rect& getCanvasBounds() const { return canvasBounds_; }
    platform::Surface* getWindow() const { return window_; }

private:
    AM_Rect canvasBounds_{};
    std::unique_ptr<AM_AGG_Context> context_;
    platform::Surface* window_;
    uint8_t refreshAllParameters_ = 1;
    uint32_t refreshedParameters_ = 0;
};
