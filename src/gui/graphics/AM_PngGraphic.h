#pragma once
// A graphic drawn from an image file: adds the file name (written as the
// "filename" GR_PROPERTY line) and a frame count of 1. It writes its lines
// on save only once it has been used.
//
// GUI thread only.

#include "gui/graphics/AM_Graphic.h"

#include <string>

class AM_PngGraphic : public AM_Graphic {
public:
    // File names of this many characters or more give the name "png %d".
    static constexpr size_t kLongFileName = 31;

    AM_PngGraphic(AM_GuiServices* services, const char* fileName, uint32_t key);

    void receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* data) override;
    const char* getTypeName() const override { return "png"; }
    void writeScript(std::string* script) override;

    virtual uint32_t getFrameCount() const { return frameCount_; }
    virtual const char* getFileName() const { return fileName_.c_str(); }
    // This graphic or a following sibling whose file name is exactly the
    // given one; null when none is.
    virtual AM_PngGraphic* findByFileName(const char* fileName);

protected:
    uint32_t frameCount_ = 1;
    std::string fileName_;
};
