#pragma once
// The PNG graphic the GUI creates: its pixels are decoded once per process
// and file into a pixel map shared through the image cache
// (AM_ImageCache), and drawn by the software context.
//
// GUI thread only.

#include "gui/graphics/AM_PngGraphic.h"

#include <memory>
#include <string>

class AM_PixelMap;

class AM_AGG_Graphic : public AM_PngGraphic {
public:
    // Longest name taken from the file name.
    static constexpr size_t kMaxNameFromFile = 30;

    AM_AGG_Graphic(AM_GuiServices* services, const char* fullPath, const char* fileName,
                   uint32_t key);
    ~AM_AGG_Graphic() override;

    // Counts the use; the first attaches the image: from the cache, or
    // decoded from the full path (a failure is traced and not retried).
    void load(uint32_t argument) override;
    float getWidth() const override;
    float getHeight() const override;
    void draw(AM_Context* context, const AM_Rect* rect, float value) override;
    void drawRotated(AM_Context* context, const AM_Rect* rect, float value, float angle,
                     float alpha) override;
    const AM_PixelMap* getPixelMap() const override;

    // Gives the image back to the cache (the last holder frees it).
    virtual void releaseImage();

    const std::string& getFullPath() const { return fullPath_; }

private:
    bool hasImage() const;

    std::string fullPath_;
    AM_PixelMap* image_ = nullptr;             // shared through the cache
    std::unique_ptr<AM_PixelMap> failedImage_; // empty, after a failed load
};
