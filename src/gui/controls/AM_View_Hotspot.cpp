#include "gui/controls/AM_View_Hotspot.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"

#include <cstdio>

namespace {

constexpr const char* kTypeName = "Hotspot";
constexpr char kGraphicNames[][kGuiNameBytes] = {"HotSpotBackground"};
constexpr const char* kFallbackPicture = "bg_graphicname";

int whole(float v)
{
    return static_cast<int>(v);
}

} // namespace

AM_View_Hotspot::AM_View_Hotspot(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Hotspot %u", unsigned(getId()));
    setName(name);
    initControl(0, 0, nullptr, 0, nullptr, 0, nullptr, 1, kGraphicNames, false);
}

AM_ViewControl* AM_View_Hotspot::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* hotspot = new AM_View_Hotspot(viewMan, bounds);
    hotspot->setFactory(&AM_View_Hotspot::create);
    return hotspot;
}

const char* AM_View_Hotspot::getTypeName() const
{
    return kTypeName;
}

void AM_View_Hotspot::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    (void)sender;
    (void)ptr;
    if (message == kMsgImageMap) {
        writeSection(arg);
    }
}

bool AM_View_Hotspot::onMouseDown(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    writeImageMap();
    return true;
}

void AM_View_Hotspot::draw(AM_Context* context)
{
    AM_Graphic* graphic = getGraphic(0);
    if (context != nullptr && graphic != nullptr) {
        graphic->draw(context, &bounds_, 1.0f);
    }
}

void AM_View_Hotspot::writeImageMap()
{
    int w = whole(bounds_.w);
    int h = whole(bounds_.h);
    const char* picture = getName();
    AM_ViewControl* parent = getParentControl();
    if (parent != nullptr) {
        const AM_Rect area = parent->getBounds();
        w = whole(area.w);
        h = whole(area.h);
        AM_Graphic* background = parent->getGraphic(0);
        picture = background != nullptr ? background->getName() : nullptr;
    }
    if (picture == nullptr || picture[0] == '\0') {
        picture = kFallbackPicture;
    }
    AM_STD::printv("<HTML><HEAD></HEAD><BODY>");
    AM_STD::printv("<style type=\"text/css\">");
    AM_STD::printv("DIV.image_map {display:block; width:%dpx; height:%dpx; background:url(%s%s.jpg); "
                   "position:relative; margin:2px auto 2px auto;}",
                   w, h, kImageFolder, picture);
    AM_STD::printv("a.HotSpot { display:block;width: 24px; height: 24px; background:url(%sHotSpot.png); "
                   "padding-top:2px; overflow:visible; }",
                   kImageFolder);
    if (parent != nullptr) {
        parent->sendMessage(kGuiControlBit, kMsgImageMap, 0, nullptr);
    }
    AM_STD::printv("</style>");
    AM_STD::printv("<DIV class=\"image_map\">");
    if (parent != nullptr) {
        parent->sendMessage(kGuiControlBit, kMsgImageMap, 1, nullptr);
    }
    AM_STD::printv("</DIV>");
    if (parent != nullptr) {
        parent->sendMessage(kGuiControlBit, kMsgImageMap, 2, nullptr);
    }
}

void AM_View_Hotspot::writeSection(uint32_t section)
{
    const char* name = getName();
    switch (section) {
    case 0:
        AM_STD::printv("#hotspot_%s { display:block; left: %dpx; top: %dpx; width: %dpx; height: "
                       "%dpx; padding-top:2px; overflow:hidden; position:absolute;}",
                       name, whole(getRelativeX()), whole(getRelativeY()), whole(bounds_.w),
                       whole(bounds_.h));
        break;
    case 1:
        AM_STD::printv("\t<DIV id=\"hotspot_%s\"><a class=\"HotSpot\" "
                       "rel=\"{content:'tipContainer_%s',position:-1}\"></a></DIV>",
                       name, name);
        break;
    case 2:
        AM_STD::printv("\t<DIV id=\"tipContainer_%s\" class=\"tipContainer\">", name);
        AM_STD::printv("\t\t<H3>%s</H3>", name);
        AM_STD::printv("\t\tsome text about %s", name);
        AM_STD::printv("\t</DIV>");
        break;
    default:
        break;
    }
}
