#include "gui/controls/AM_View_SnapshotDial.h"

#include "engine/module/AM_ModuleRecord.h"
#include "foundation/AM_STD.h"
#include "gui/controls/AM_ControlMenu.h"
#include "gui/controls/AM_DialLook.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "SnapshotDial";

constexpr uint32_t kValueTypes[] = {k_kindFloat};
constexpr uint32_t kMeterTypes[] = {k_meter};
const AM_PortDescriptor kPorts[] = {{0, "SnapshotDial Value", 1, kValueTypes},
                                    {1, "Snapshot Meter", 1, kMeterTypes}};

constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value"};
constexpr char kGraphicNames[][kGuiNameBytes] = {
    "SnapshotDialBackground", "SnapshotDialValue", "SelectCirc", "DialCirc",
    "DialHighlite",           "DialDownlite",      "DialMeter"};
enum Slot : int32_t {
    kBackgroundSlot = 0,
    kValueSlot = 1,
    kSelectSlot = 2,
    kDialSlot = 3,
    kHighliteSlot = 4,
    kDownliteSlot = 5,
    kMeterSlot = 6,
};
constexpr int32_t kBackgroundColour = 0;
constexpr int32_t kBorderColour = 1;

constexpr uint32_t kRightButton = 2;
constexpr uint32_t kHiddenFlag = 0x100;
// Alias menus list the parameters from the snapshot parameter on.
constexpr int32_t kAliasSpan = 32;
// The class's messages go to every control.
constexpr uint32_t kControlsMask = 4096;
constexpr float kMeterStep = 0.01f;
constexpr float kPi = 3.14159265358979f;
constexpr float kFallbackCount = 8.0f;

constexpr const char* kParameterKey = "s_parameter";
constexpr const char* kOffsetKey = "s_offset";

bool readFloat(const void* value, float* out)
{
    if (value == nullptr) {
        return false;
    }
    std::memcpy(out, value, sizeof *out);
    return true;
}

std::string fieldText(const char* field, size_t bytes)
{
    return std::string(field, strnlen(field, bytes));
}

} // namespace

AM_View_SnapshotDial::AM_View_SnapshotDial(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    std::fill(std::begin(snapshotParam_), std::end(snapshotParam_), -1);
    std::fill(std::begin(aliasParam_), std::end(aliasParam_), -1);
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "SnapshotDial %u", unsigned(getId()));
    setName(name);
    initControl(0, 2, kPorts, 0, nullptr, 3, kColourNames, 7, kGraphicNames, true);
}

AM_View_SnapshotDial::~AM_View_SnapshotDial() = default;

AM_ViewControl* AM_View_SnapshotDial::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* dial = new AM_View_SnapshotDial(viewMan, bounds);
    dial->setFactory(&AM_View_SnapshotDial::create);
    return dial;
}

const char* AM_View_SnapshotDial::getTypeName() const
{
    return kTypeName;
}

int32_t AM_View_SnapshotDial::getSnapshotParam(int32_t i) const
{
    return i >= 0 && i < paramCount_ ? snapshotParam_[i] : -1;
}

int32_t AM_View_SnapshotDial::getAliasParam(int32_t i) const
{
    return i >= 0 && i < paramCount_ ? aliasParam_[i] : -1;
}

int32_t AM_View_SnapshotDial::sectors() const
{
    const float n = snapshotCount_;
    if (!std::isfinite(n) || n < 1.0f) {
        return 1;
    }
    return n >= static_cast<float>(kMaximumSectors) ? kMaximumSectors : static_cast<int32_t>(n);
}

void AM_View_SnapshotDial::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (parameter != nullptr && i == kValuePort) {
        snapshotCount_ = parameter->max;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

const void* AM_View_SnapshotDial::getValuePointer(int32_t port)
{
    return port == kValuePort ? static_cast<const void*>(&value_) : &meter_;
}

void AM_View_SnapshotDial::setParameterValue(int32_t i, const void* value)
{
    float v = 0.0f;
    if (readFloat(value, &v)) {
        if (i == kValuePort) {
            value_ = v;
        } else if (i == kMeterPort) {
            meter_ = v;
        }
    }
    AM_ViewControl::setParameterValue(i, value);
}

void AM_View_SnapshotDial::onTimer()
{
    const AM_PortRecord* port = getPort(kMeterPort);
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (port == nullptr || port->parameter == nullptr || host == nullptr) {
        return;
    }
    float v = 0.0f;
    if (readFloat(host->getParameterValue(static_cast<int32_t>(port->parameter->index)), &v) &&
        std::fabs(v - meter_) > kMeterStep) {
        setParameterValue(kMeterPort, &v);
    }
}

bool AM_View_SnapshotDial::onRing(const float* point) const
{
    const float dx = point[0] - (bounds_.x + bounds_.w / 2);
    const float dy = point[1] - (bounds_.y + bounds_.h / 2);
    return std::sqrt(dx * dx + dy * dy) > kRingShare * (bounds_.w / 2);
}

int32_t AM_View_SnapshotDial::sectorAt(const float* point) const
{
    const int32_t n = sectors();
    const float cx = bounds_.x + bounds_.w / 2;
    const float cy = bounds_.y + bounds_.h / 2;
    const float phi = std::atan2(cx - point[0], -(cy - point[1]));
    const float turn = (phi + kPi) / (2 * kPi) + 0.5f / static_cast<float>(n);
    const float s = std::trunc(turn * static_cast<float>(n));
    if (!std::isfinite(s) || s < 0) {
        return 0;
    }
    return static_cast<int32_t>(s) % n;
}

void AM_View_SnapshotDial::selectSnapshot(int32_t k, bool redrawAfter)
{
    if (k == current_) {
        return;
    }
    current_ = k;
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const int64_t count = host != nullptr ? host->getNumParameters() : 0;
    for (int32_t i = 0; i < paramCount_; ++i) {
        if (snapshotParam_[i] < 0) {
            continue;
        }
        const int64_t offset = (int64_t(aliasParam_[i]) - snapshotParam_[i]) * k;
        if (offset < 0) {
            continue;
        }
        if (snapshotParam_[i] + offset >= count) {
            AM_STD::printv("%s: snapshot %d of parameter %d lies past the parameters\n",
                           getName(), int(k), int(snapshotParam_[i]));
            continue;
        }
        int32_t shift = static_cast<int32_t>(offset);
        sendMessage(kControlsMask, kCtlMsgIndexOffset, static_cast<uint32_t>(snapshotParam_[i]),
                    &shift);
    }
    if (redrawAfter) {
        redraw();
    }
}

bool AM_View_SnapshotDial::runMenu(const float* point)
{
    AM_ControlMenu menu;
    menu.push_back({"AutoSelect", AM_controlCommand(kToggleAutoSelect), true, autoSelect_ != 0});
    return AM_openControlMenu(viewMan_, this, point, kControlRunMenu, menu);
}

bool AM_View_SnapshotDial::onMouseDown(const float* point, uint32_t buttons)
{
    if (point == nullptr) {
        return false;
    }
    if ((buttons & kRightButton) != 0) {
        runMenu(point);
        return false;
    }
    if (onRing(point)) {
        selectSnapshot(sectorAt(point), true);
        return false;
    }
    lastY_ = point[1];
    sendValueToParameter(kValuePort, &value_);
    return true;
}

void AM_View_SnapshotDial::onMouseDrag(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[1])) {
        return;
    }
    const float dy = lastY_ - point[1];
    lastY_ = point[1];
    if (snapshotCount_ == 0.0f) {
        AM_STD::printv("numSnapSots == 0\n");
        snapshotCount_ = kFallbackCount;
    }
    const float n = snapshotCount_;
    float position = kTurnPixels / n * value_ + dy;
    if (!std::isfinite(position)) {
        return;
    }
    if (position >= kTurnPixels) {
        position = std::fmod(position, kTurnPixels);
    } else if (position < 0.0f) {
        position = std::fmod(position, kTurnPixels) + kTurnPixels;
        if (position >= kTurnPixels) {
            position = 0.0f;
        }
    }
    const float v = n * position / kTurnPixels;
    if (autoSelect_ != 0) {
        const float nearest = std::trunc(v + 0.5f);
        if (std::isfinite(nearest) && nearest >= 0 &&
            nearest < static_cast<float>(kMaximumSectors) * 2) {
            selectSnapshot(static_cast<int32_t>(nearest) % sectors(), false);
        }
    }
    setValueFromUser(kValuePort, &v);
}

void AM_View_SnapshotDial::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

void AM_View_SnapshotDial::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr || !std::isfinite(point[0]) || !std::isfinite(point[1]) ||
        !onRing(point)) {
        return;
    }
    const float sector = static_cast<float>(sectorAt(point));
    setValueFromUser(kValuePort, &sector);
}

bool AM_View_SnapshotDial::addSnapshotParam(int32_t index)
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    if (paramCount_ >= kMaximumParams || host == nullptr ||
        host->getParameterInfo(index) == nullptr) {
        AM_STD::printv("%s: no room for parameter %d\n", getName(), int(index));
        return false;
    }
    snapshotParam_[paramCount_] = index;
    aliasParam_[paramCount_] = -1;
    ++paramCount_;
    redraw();
    return true;
}

bool AM_View_SnapshotDial::removeSnapshotParam(int32_t i)
{
    if (i < 0 || i >= paramCount_) {
        return false;
    }
    --paramCount_;
    snapshotParam_[i] = snapshotParam_[paramCount_];
    aliasParam_[i] = aliasParam_[paramCount_];
    snapshotParam_[paramCount_] = -1;
    aliasParam_[paramCount_] = -1;
    return true;
}

bool AM_View_SnapshotDial::setAliasParam(int32_t i, int32_t index)
{
    if (i < 0 || i >= paramCount_) {
        return false;
    }
    aliasParam_[i] = index;
    return true;
}

void AM_View_SnapshotDial::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    if (viewMan_ == nullptr || (open && point == nullptr)) {
        return;
    }
    if (open) {
        viewMan_->beginMenu(this, point, kControlEditMenu);
        viewMan_->addMenuItem(0, 0, getName());
    }
    AM_ViewControl::buildEditMenu(point, false, extra);
    viewMan_->addMenuItem(0, 0, kMenuSeparatorText);
    AM_View_Interface* host = viewMan_->getInterface();
    const int32_t count = host != nullptr ? host->getNumParameters() : 0;
    const int32_t modules = host != nullptr ? host->getNumModules() : 0;
    const uint32_t add = viewMan_->addSubMenu(0, "add SnapShotParam");
    for (int32_t m = 0; m < modules; ++m) {
        const AM_ModuleRecord* module = host->getModuleInfoByIndex(m);
        if (module == nullptr) {
            continue;
        }
        const uint32_t sub = viewMan_->addSubMenu(
            add, fieldText(module->longName, k_moduleLongNameBytes).c_str());
        for (int32_t p = 0; p < count; ++p) {
            AM_ParamInfo* parameter = host->getParameterInfo(p);
            if (parameter == nullptr || parameter->moduleIndex != int32_t(module->moduleIndex) ||
                (parameter->flags & kHiddenFlag) != 0) {
                continue;
            }
            viewMan_->addMenuItem(sub, AM_controlCommand(kAddParam),
                                  fieldText(parameter->longName, k_longNameBytes).c_str(), p, 0,
                                  parameter);
        }
    }
    if (paramCount_ > 0) {
        const uint32_t remove = viewMan_->addSubMenu(0, "remove SnapShotParam");
        for (int32_t i = 0; i < paramCount_; ++i) {
            const AM_ParamInfo* parameter =
                host != nullptr ? host->getParameterInfo(snapshotParam_[i]) : nullptr;
            viewMan_->addMenuItem(remove, AM_controlCommand(kRemoveParam),
                                  parameter != nullptr
                                      ? fieldText(parameter->longName, k_longNameBytes).c_str()
                                      : "?",
                                  i);
        }
    }
    const uint32_t alias = viewMan_->addSubMenu(0, "set AliasParam");
    for (int32_t i = 0; i < paramCount_; ++i) {
        const AM_ParamInfo* parameter =
            host != nullptr ? host->getParameterInfo(snapshotParam_[i]) : nullptr;
        if (parameter == nullptr) {
            continue;
        }
        const uint32_t sub =
            viewMan_->addSubMenu(alias, fieldText(parameter->longName, k_longNameBytes).c_str());
        const int32_t last = std::min(count - 1, snapshotParam_[i] + kAliasSpan - 1);
        for (int32_t p = snapshotParam_[i]; p <= last; ++p) {
            AM_ParamInfo* candidate = host->getParameterInfo(p);
            if (candidate == nullptr) {
                continue;
            }
            viewMan_->addMenuItem(sub, AM_controlCommand(kSetAlias + static_cast<uint32_t>(i)),
                                  fieldText(candidate->longName, k_longNameBytes).c_str(), p,
                                  p == aliasParam_[i] ? uint32_t(kMenuChecked) : 0u, candidate);
        }
    }
    if (open) {
        viewMan_->showMenu();
    }
}

bool AM_View_SnapshotDial::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                             const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (AM_menuCode(item->command) != kControlMenuCode) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    const uint32_t sub = AM_menuSubIndex(item->command);
    if (menuId == kControlRunMenu && sub == kToggleAutoSelect) {
        autoSelect_ = autoSelect_ != 0 ? 0 : 1;
        return true;
    }
    if (menuId != kControlEditMenu) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    // The items carry the parameter index (or the entry) as their value.
    if (sub == kAddParam) {
        addSnapshotParam(item->value);
        return true;
    }
    if (sub == kRemoveParam) {
        removeSnapshotParam(item->value);
        return true;
    }
    if (sub >= kSetAlias && sub < kSetAlias + kMaximumParams) {
        setAliasParam(static_cast<int32_t>(sub - kSetAlias), item->value);
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

bool AM_View_SnapshotDial::parameterText(int32_t index, std::string* text) const
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* parameter = host != nullptr ? host->getParameterInfo(index) : nullptr;
    if (parameter == nullptr) {
        return false;
    }
    const AM_ModuleRecord* module = host->getModuleInfoByIndex(parameter->moduleIndex);
    *text = (module != nullptr ? fieldText(module->shortName, k_moduleShortNameBytes)
                               : std::string()) +
            ":" + fieldText(parameter->shortName, k_shortNameBytes);
    return true;
}

int32_t AM_View_SnapshotDial::parameterFromText(const char* text) const
{
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const char* colon = text != nullptr ? std::strchr(text, ':') : nullptr;
    if (host == nullptr || colon == nullptr) {
        return -1;
    }
    const std::string module(text, colon);
    const AM_ParamInfo* parameter = host->findParameter(module.c_str(), colon + 1);
    return parameter != nullptr ? static_cast<int32_t>(parameter->index) : -1;
}

void AM_View_SnapshotDial::copyProperties(AM_ViewControl* clone)
{
    AM_ViewControl::copyProperties(clone);
    if (auto* dial = dynamic_cast<AM_View_SnapshotDial*>(clone)) {
        dial->autoSelect_ = autoSelect_;
        dial->paramCount_ = paramCount_;
        std::copy(std::begin(snapshotParam_), std::end(snapshotParam_), dial->snapshotParam_);
        std::copy(std::begin(aliasParam_), std::end(aliasParam_), dial->aliasParam_);
    }
}

void AM_View_SnapshotDial::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    std::string text;
    for (int32_t i = 0; i < paramCount_; ++i) {
        if (!parameterText(snapshotParam_[i], &text)) {
            text = ":";
        }
        writer.property(getName(), kParameterKey, i, text.c_str());
    }
    for (int32_t i = 0; i < paramCount_; ++i) {
        if (aliasParam_[i] > 0 && parameterText(aliasParam_[i], &text)) {
            writer.property(getName(), kOffsetKey, i, text.c_str());
        }
    }
}

void AM_View_SnapshotDial::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr) {
        return;
    }
    const bool parameter = std::strcmp(name, kParameterKey) == 0;
    if (!parameter && std::strcmp(name, kOffsetKey) != 0) {
        return;
    }
    if (id < 0 || id >= kMaximumParams) {
        AM_STD::printv("%s: %s %d lies past the %d snapshot parameters\n", getName(), name,
                       int(id), int(kMaximumParams));
        return;
    }
    const int32_t index = parameterFromText(value);
    if (parameter) {
        snapshotParam_[id] = index;
        paramCount_ = std::max(paramCount_, id + 1);
    } else {
        aliasParam_[id] = index;
    }
}

void AM_View_SnapshotDial::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    const float n = snapshotCount_ != 0.0f && std::isfinite(snapshotCount_) ? snapshotCount_
                                                                             : kFallbackCount;
    if (AM_Graphic* background = getGraphic(kBackgroundSlot)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* colour = getColour(kBackgroundColour)) {
        context->setColourFromObject(colour);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* colour = getColour(kBorderColour)) {
        const AM_Rect frame{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1.0f, bounds_.h - 1.0f};
        context->setColourFromObject(colour);
        const float corners[] = {frame.x, frame.y, frame.x + frame.w, frame.y,
                                 frame.x + frame.w, frame.y + frame.h, frame.x, frame.y + frame.h};
        context->drawPolyline(corners, 4, 1.0f, true);
    }
    bool anyGraphic = false;
    for (int32_t slot = kValueSlot; slot <= kMeterSlot; ++slot) {
        anyGraphic = anyGraphic || getGraphic(slot) != nullptr;
    }
    if (!anyGraphic && getGraphic(kBackgroundSlot) == nullptr) {
        drawGenerated(context);
        return;
    }
    const int32_t count = sectors();
    if (AM_Graphic* select = getGraphic(kSelectSlot)) {
        for (int32_t i = 0; i < count; ++i) {
            select->draw(context, &bounds_, static_cast<float>(i) / n);
        }
    }
    if (AM_Graphic* highlite = getGraphic(kHighliteSlot)) {
        for (int32_t i = 0; i < count; ++i) {
            if (i != current_) {
                highlite->draw(context, &bounds_, static_cast<float>(i) / n);
            }
        }
    }
    if (AM_Graphic* meter = getGraphic(kMeterSlot)) {
        meter->draw(context, &bounds_, meter_ / n);
    }
    if (AM_Graphic* downlite = getGraphic(kDownliteSlot)) {
        downlite->draw(context, &bounds_, static_cast<float>(current_) / n);
    }
    if (AM_Graphic* dial = getGraphic(kDialSlot)) {
        dial->draw(context, &bounds_, value_ / n);
    }
}

void AM_View_SnapshotDial::drawGenerated(AM_Context* context)
{
    using namespace AM_DialLook;
    float centre[2];
    float half = 0.0f;
    centreOf(bounds_, centre, &half);
    if (half < 8.0f) {
        return;
    }
    const int32_t count = sectors();
    const float n = static_cast<float>(count);
    // The ring: a dark band holding one lamp per snapshot.
    const float outer = half - 0.5f;
    const float inner = kRingShare * half;
    fillDisc(context, centre, outer, kRimColour);
    context->setColourPacked(kTrackColour);
    context->fillRingSegment(centre, inner + 1.0f, outer - 1.0f, 0, 360);
    // The engine's output as a mark on the rim.
    const float meterAngle = 360.0f * meter_ / n;
    if (std::isfinite(meterAngle)) {
        context->setColourPacked(kMeterColour);
        context->fillRingSegment(centre, outer - std::max(2.0f, half * 0.05f), outer,
                                 meterAngle - 4.0f, meterAngle + 4.0f);
    }
    const float lampDistance = (inner + outer) / 2;
    const float lampRadius =
        std::min((outer - inner) * 0.36f, lampDistance * 3.14159f / n * 0.8f);
    const bool numbers = lampRadius >= 5.0f;
    context->setFontSize(std::max(6.0f, lampRadius * 1.1f));
    for (int32_t i = 0; i < count; ++i) {
        float lamp[2];
        pointAt(centre, 360.0f * static_cast<float>(i) / n, lampDistance, lamp);
        const bool selected = i == current_;
        fillDisc(context, lamp, lampRadius, kRimColour);
        fillDisc(context, lamp, lampRadius - 1.0f, selected ? kArcColour : kBodyColour);
        if (numbers) {
            char text[16];
            std::snprintf(text, sizeof text, "%d", int(i + 1));
            const AM_Rect box{lamp[0] - lampRadius, lamp[1] - lampRadius, lampRadius * 2,
                              lampRadius * 2};
            context->setColourPacked(selected ? kRimColour : kPointerColour);
            context->drawText(text, &box, 1, true);
        }
    }
    // The centre knob points at the position.
    const float knob = inner - std::max(3.0f, half * 0.06f);
    fillDisc(context, centre, knob, kRimColour);
    fillDisc(context, centre, knob - 1.0f, kBodyColour);
    fillDisc(context, centre, (knob - 1.0f) * 0.7f, kBodyTopColour);
    const float angle = 360.0f * value_ / n;
    if (std::isfinite(angle)) {
        float from[2];
        float to[2];
        pointAt(centre, angle, knob * 0.25f, from);
        pointAt(centre, angle, knob - 2.0f, to);
        context->setColourPacked(kArcColour);
        context->drawLine(from, to, std::max(2.0f, half * 0.05f));
    }
}
