#include "gui/graphics/AM_MultiFrameGraphic.h"

#include "gui/graphics/AM_AGG_Graphic.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/graphics/image/AM_PngFolder.h"

#include "gui/graphics/AM_StripFrames.h"
#include <string>
#include <vector>

namespace {
}

AM_MultiFrameGraphic::AM_MultiFrameGraphic(AM_GuiServices* services, uint32_t key)
    : AM_Graphic(services, key)
{
}

void AM_MultiFrameGraphic::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg,
                                          void* data)
{
    if (message == kGuiMsgSaveObjects && isSaveable() && useCount_ != 0)
        writeScript(static_cast<std::string*>(data));
    AM_GuiObject::receiveMessage(sender, message, arg, data);
}

void AM_MultiFrameGraphic::setName(const char* name)
{
    AM_Graphic::setName(name);
    const float rotation = AM_rotationFromName(getName());
    if (rotation != 0)
        rotation_ = rotation;
}

void AM_MultiFrameGraphic::addChild(AM_GuiObject* frame)
{
    if (frame == nullptr)
        return;
    AM_Graphic::addChild(frame);
    if (auto* graphic = dynamic_cast<AM_Graphic*>(frame)) {
        setWidth(graphic->getWidth());
        setHeight(graphic->getHeight());
    }
    ++frameCount_;
}

AM_Graphic* AM_MultiFrameGraphic::getFrame(uint32_t index) const
{
    AM_GuiObject* node = getFirstChild();
    for (uint32_t i = 0; node != nullptr && i < index; ++i)
        node = node->getNext();
    return dynamic_cast<AM_Graphic*>(node);
}

void AM_MultiFrameGraphic::draw(AM_Context* context, const AM_Rect* rect, float value)
{
    AM_FrameDraw draws[2];
    const int count = AM_planStripFrames(frameCount_, rotation_, value, draws);
    for (int i = 0; i < count; ++i) {
        AM_Graphic* frame = getFrame(uint32_t(draws[i].frame));
        if (frame == nullptr)
            continue;
        if (draws[i].rotated)
            frame->drawRotated(context, rect, value, draws[i].angle, draws[i].opacity);
        else
            frame->draw(context, rect, value);
    }
}

uint32_t AM_MultiFrameGraphic::addFramesFromFolder(const char* folder)
{
    std::vector<std::string> files;
    if (folder == nullptr || !AM_listPngFiles(folder, files))
        return 0;
    for (const std::string& file : files)
        addChild(new AM_AGG_Graphic(services_, (folder + file).c_str(), file.c_str(), key_));
    return uint32_t(files.size());
}

void AM_MultiFrameGraphic::load(uint32_t argument)
{
    AM_Graphic::load(argument);
    if (const AM_Graphic* first = getFrame(0)) {
        setWidth(first->getWidth());
        setHeight(first->getHeight());
    }
}
