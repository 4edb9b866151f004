#include "gui/controls/AM_View_Keyboard.h"

#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* kTypeName = "Keyboard";

constexpr uint32_t kMeterTypes[] = {k_meter};
constexpr uint32_t kRemoteTypes[] = {k_kindInteger};
constexpr uint32_t kMapTypes[] = {k_typeBinaryData};
const AM_PortDescriptor kPorts[] = {{0, "KeyMeter", 1, kMeterTypes},
                                    {1, "VelMeter", 1, kMeterTypes},
                                    {2, "RemoteKey", 1, kRemoteTypes},
                                    {3, "RemoteVel", 1, kRemoteTypes},
                                    {4, "KeyPressed", 1, kMapTypes}};

enum ColourSlot : int32_t { kBackground = 0, kBorder = 1, kValueColour = 2 };
constexpr char kColourNames[][kGuiNameBytes] = {"Background", "Border", "Value"};
enum GraphicSlot : int32_t {
    kKeyboardBackground = 0,
    kKeyboardValue = 1,
    kKeyboardHandle = 2,
    kTopKeyHeld = 3,
    kFirstHeldKey = 4,
};
constexpr char kGraphicNames[][kGuiNameBytes] = {
    "KeyboardBackground", "KeyboardValue", "KeyboardHandle", "key_wp",  "key_cp",
    "key_csp",            "key_dp",        "key_dsp",        "key_ep",  "key_fp",
    "key_fsp",            "key_gp",        "key_gsp",        "key_ap",  "key_asp",
    "key_hp"};
constexpr int32_t kGraphicCount = 16;

constexpr int32_t kWhiteSemitones[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int32_t kBlackSemitones[5] = {1, 3, 6, 8, 10};
// White and black keys among the first r keys of an octave, r = 0..13.
constexpr int32_t kWhitesAmong[14] = {0, 1, 1, 2, 2, 3, 4, 4, 5, 5, 6, 6, 7, 0};
constexpr int32_t kBlacksAmong[14] = {0, 0, 1, 1, 2, 2, 2, 3, 3, 4, 4, 5, 5, 0};
// Left edges of the black keys in per cent of the octave width.
constexpr float kBlackPercent[5] = {9.285714f, 25.0f, 51.42857f, 67.14286f, 82.14286f};
// Where a white key's left outline starts, as a fraction of the height.
constexpr float kWhiteTop[7] = {0.0f, 0.65f, 0.65f, 0.0f, 0.65f, 0.65f, 0.65f};
// The white index of each white semitone, the black index of each black one.
constexpr int32_t kSemitoneIndex[12] = {0, 0, 1, 1, 2, 3, 2, 4, 3, 5, 4, 6};
constexpr bool kIsBlack[12] = {false, true, false, true, false, false,
                               true,  false, true, false, true, false};
constexpr float kBlackWidthFactor = 0.0785714f;
constexpr float kBlackLengthFactor = 0.65f;
constexpr int32_t kMaxOctaves = 12;
constexpr int32_t kBaseOctave = 3;

constexpr uint32_t kEditVertical = 1;

// The drawn keyboard.
constexpr uint32_t kFrameColour = 0x16181CFF;
constexpr uint32_t kWhiteColour = 0xF3F0E8FF;
constexpr uint32_t kWhiteShadeColour = 0xD9D5CBFF;
constexpr uint32_t kWhiteHeldColour = 0xF2B654FF;
constexpr uint32_t kBlackColour = 0x1E2024FF;
constexpr uint32_t kBlackTopColour = 0x3A3D44FF;
constexpr uint32_t kBlackHeldColour = 0xC98A2EFF;
constexpr uint32_t kMeterMarkColour = 0x3F8FD0FF;

} // namespace

AM_View_Keyboard::AM_View_Keyboard(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Keyboard %u", unsigned(getId()));
    setName(name);
    initControl(0, 5, kPorts, 0, nullptr, 3, kColourNames, kGraphicCount, kGraphicNames, true);
    boundsChanged();
}

AM_View_Keyboard::~AM_View_Keyboard() = default;

AM_ViewControl* AM_View_Keyboard::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* keyboard = new AM_View_Keyboard(viewMan, bounds);
    keyboard->setFactory(&AM_View_Keyboard::create);
    return keyboard;
}

const char* AM_View_Keyboard::getTypeName() const
{
    return kTypeName;
}

bool AM_View_Keyboard::portBound(int32_t i) const
{
    const AM_PortRecord* port = const_cast<AM_View_Keyboard*>(this)->getPort(i);
    return port != nullptr && port->parameter != nullptr;
}

void AM_View_Keyboard::boundsChanged()
{
    int32_t n = keyCount_;
    octaveCount_ = 0;
    whiteCount_ = 0;
    blackCount_ = 0;
    while (n >= 12 && octaveCount_ < kMaxOctaves) {
        ++octaveCount_;
        whiteCount_ += 7;
        blackCount_ += 5;
        n -= 12;
    }
    const int32_t rest = std::clamp(n, int32_t(0), int32_t(13));
    whiteCount_ += kWhitesAmong[rest];
    blackCount_ += kBlacksAmong[rest];
    whiteWidth_ = whiteCount_ > 0 ? bounds_.w / static_cast<float>(whiteCount_) : 0.0f;
    octaveWidth_ = 7.0f * whiteWidth_;
    blackWidth_ = octaveWidth_ * kBlackWidthFactor + 2.0f;
    keyEdge_[0] = 0.0f;
    const int32_t leftEdges[5] = {1, 3, 6, 8, 10};
    for (int32_t b = 0; b < 5; ++b) {
        keyEdge_[leftEdges[b]] = octaveWidth_ * kBlackPercent[b] / 100.0f;
        keyEdge_[leftEdges[b] + 1] = keyEdge_[leftEdges[b]] + blackWidth_;
    }
    keyEdge_[5] = 3.0f * whiteWidth_;
    blackLength_ = std::trunc(bounds_.h * kBlackLengthFactor);
}

const void* AM_View_Keyboard::getValuePointer(int32_t port)
{
    switch (port) {
    case kKeyMeterPort:
        return &keyMeter_;
    case kVelocityMeterPort:
        return &velocityMeter_;
    case kRemoteVelocityPort:
        return &remoteVelocity_;
    case kKeyPressedPort:
        return noteMap_;
    default:
        return &remoteKey_;
    }
}

void AM_View_Keyboard::setParameterValue(int32_t i, const void* value)
{
    if (value != nullptr && i >= kKeyMeterPort && i <= kRemoteVelocityPort) {
        float* fields[] = {&keyMeter_, &velocityMeter_, &remoteKey_, &remoteVelocity_};
        std::memcpy(fields[i], value, sizeof(float));
    }
    AM_ViewControl::setParameterValue(i, value);
}

bool AM_View_Keyboard::isHeld(int32_t note) const
{
    if (note < 0 || note >= kNoteMapBytes * 8) {
        return false;
    }
    return (noteMap_[note / 8] & (1u << (note % 8))) != 0;
}

AM_View_Keyboard::Hit AM_View_Keyboard::keyAt(const float* point) const
{
    float dx = std::max(0.0f, point[0] - bounds_.x);
    const float dy = std::max(0.0f, point[1] - bounds_.y);
    int32_t octave = kBaseOctave;
    if (octaveWidth_ > 0.0f) {
        while (dx >= octaveWidth_ && octave < kBaseOctave + kMaxOctaves) {
            ++octave;
            dx -= octaveWidth_;
        }
    }
    const float h = bounds_.h > 0.0f ? bounds_.h : 1.0f;
    int32_t semitone = 0;
    float velocity = 0.0f;
    if (dy > blackLength_ || whiteWidth_ <= 0.0f) {
        // The lower part: white keys only, the index held within the octave.
        const int32_t white =
            whiteWidth_ > 0.0f ? std::clamp(static_cast<int32_t>(dx / whiteWidth_), 0, 6) : 0;
        semitone = kWhiteSemitones[white];
        velocity = 128.0f - std::trunc(dy / h * 127.0f);
    } else {
        for (int32_t e = 1; e < 12; ++e) {
            if (dx >= keyEdge_[e]) {
                semitone = e;
            }
        }
        const float length = kIsBlack[semitone] && blackLength_ > 0.0f ? blackLength_ : h;
        velocity = 128.0f - std::trunc(dy / length * 127.0f);
    }
    // The keys end at the last note (a white key: its velocity is by the
    // whole height); velocities run from 1 to 127.
    int32_t note = semitone + 12 * octave;
    if (note > lastNote()) {
        note = lastNote();
        velocity = 128.0f - std::trunc(dy / h * 127.0f);
    }
    return {note, static_cast<int32_t>(std::clamp(velocity, 1.0f, 127.0f))};
}

void AM_View_Keyboard::userSets(int32_t port, float value)
{
    setValueFromUser(port, &value);
}

bool AM_View_Keyboard::onMouseDown(const float* point, uint32_t buttons)
{
    (void)buttons;
    if (point == nullptr) {
        return false;
    }
    const Hit hit = keyAt(point);
    if (!isHeld(hit.note)) {
        // The key played before is released first.
        remoteVelocity_ = 0.0f;
        userSets(kRemoteKeyPort, remoteKey_);
        userSets(kRemoteVelocityPort, 0.0f);
        userSets(kRemoteKeyPort, static_cast<float>(hit.note));
        userSets(kRemoteVelocityPort, static_cast<float>(hit.velocity));
    } else {
        userSets(kRemoteKeyPort, static_cast<float>(hit.note));
        userSets(kRemoteVelocityPort, 0.0f);
    }
    return false;
}

void AM_View_Keyboard::onDoubleClick(const float* point, uint32_t buttons)
{
    onMouseDown(point, buttons);
}

void AM_View_Keyboard::onMouseUp(const float* point, uint32_t buttons)
{
    onMouseDrag(point, buttons);
}

float AM_View_Keyboard::readMeter(int32_t port, float current) const
{
    const AM_PortRecord* record = const_cast<AM_View_Keyboard*>(this)->getPort(port);
    if (record == nullptr || record->parameter == nullptr) {
        return current;
    }
    const void* value =
        viewMan_->getInterface()->getParameterValue(static_cast<int32_t>(record->parameter->index));
    if (value == nullptr) {
        return current;
    }
    float v = 0.0f;
    std::memcpy(&v, value, sizeof v);
    return v;
}

void AM_View_Keyboard::onTimer()
{
    if (!isVisible() || viewMan_ == nullptr || viewMan_->getInterface() == nullptr) {
        return;
    }
    bool changed = false;
    const float key = readMeter(kKeyMeterPort, keyMeter_);
    changed = changed || std::trunc(key) != std::trunc(keyMeter_);
    keyMeter_ = key;
    velocityMeter_ = readMeter(kVelocityMeterPort, velocityMeter_);
    const AM_PortRecord* map = getPort(kKeyPressedPort);
    if (map != nullptr && map->parameter != nullptr) {
        const auto* bytes = static_cast<const uint8_t*>(viewMan_->getInterface()->getParameterValue(
            static_cast<int32_t>(map->parameter->index)));
        if (bytes != nullptr) {
            // A block shorter than the map reads no notes past its end.
            const float size = map->parameter->max;
            const int32_t available =
                size > 0 && std::isfinite(size)
                    ? static_cast<int32_t>(std::min(size, float(kNoteMapBytes)))
                    : 0;
            uint8_t fresh[kNoteMapBytes] = {};
            std::memcpy(fresh, bytes, static_cast<size_t>(available));
            for (int32_t i = 0; i < kNoteMapBytes; ++i) {
                if (fresh[i] != noteMap_[i]) {
                    changed = true;
                    noteMap_[i] = fresh[i];
                }
            }
        }
    }
    if (changed) {
        redraw();
    }
}

bool AM_View_Keyboard::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                         const AM_MenuItem* item)
{
    if (valid && item != nullptr && menuId == kEditMenuId &&
        AM_menuCode(item->command) == kMenuCodeOwnCommand) {
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Keyboard::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, buildEditItems());
}

AM_ControlMenu AM_View_Keyboard::buildEditItems() const
{
    AM_ControlMenu menu;
    AM_addMenuSeparator(&menu);
    menu.push_back({"vertical", AM_controlCommand(kEditVertical), false, false});
    return menu;
}

void AM_View_Keyboard::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    bool anyGraphic = false;
    for (int32_t g = 0; g < kGraphicCount; ++g) {
        anyGraphic = anyGraphic || getGraphic(g) != nullptr;
    }
    AM_Colour* fill = getColour(kBackground);
    AM_Colour* border = getColour(kBorder);
    if (!anyGraphic && fill == nullptr && border == nullptr && getColour(kValueColour) == nullptr) {
        drawGenerated(context);
        return;
    }
    if (AM_Graphic* background = getGraphic(kKeyboardBackground)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (fill != nullptr) {
        context->setColourFromObject(fill);
        context->fillRect(&bounds_);
    }
    if (border != nullptr) {
        context->setColourFromObject(border);
        drawOutlines(context);
    }
    for (int32_t note = kFirstNote; note < 96; ++note) {
        if (!isHeld(note)) {
            continue;
        }
        const int32_t k = note % 12;
        AM_Graphic* graphic = getGraphic(kFirstHeldKey + k);
        if (graphic == nullptr) {
            continue;
        }
        const float o = static_cast<float>(note / 12 - kBaseOctave);
        const float x = kIsBlack[k] ? bounds_.x + o * octaveWidth_ + keyEdge_[k] - 1.0f
                                    : bounds_.x + static_cast<float>(kSemitoneIndex[k]) * whiteWidth_ +
                                          o * octaveWidth_;
        const AM_Rect place{x, bounds_.y, graphic->getWidth(), graphic->getHeight()};
        graphic->draw(context, &place, 1.0f);
    }
    AM_Graphic* top = getGraphic(kTopKeyHeld);
    if (isHeld(96) && top != nullptr) {
        const AM_Rect place{bounds_.x + 5 * octaveWidth_, bounds_.y, top->getWidth(),
                            top->getHeight()};
        top->draw(context, &place, 1.0f);
    }
    if (AM_Graphic* value = getGraphic(kKeyboardValue)) {
        value->draw(context, &bounds_, 1.0f);
    }
}

void AM_View_Keyboard::drawOutlines(AM_Context* context)
{
    const float x = bounds_.x;
    const float y = bounds_.y;
    const float h = bounds_.h;
    const float ww = whiteWidth_;
    const int32_t meter = static_cast<int32_t>(std::trunc(keyMeter_));
    for (int32_t i = 0; i < whiteCount_; ++i) {
        const int32_t note = kWhiteSemitones[i % 7] + kFirstNote + 12 * (i / 7);
        const float left = x + static_cast<float>(i) * ww + 0.5f;
        const float from[2] = {left, y + std::trunc(h * kWhiteTop[i % 7]) + 0.5f};
        const float lower[2] = {left, y + h - 1.5f};
        context->drawLine(from, lower, 1.0f);
        const float right[2] = {left + ww - 2.0f, y + h - 1.5f};
        context->drawLine(right, lower, note == meter ? 4.0f : 1.0f);
    }
    for (int32_t j = 0; j < blackCount_; ++j) {
        const int32_t note = kBlackSemitones[j % 5] + kFirstNote + 12 * (j / 5);
        const float left =
            (kBlackPercent[j % 5] * 0.01f + static_cast<float>(j / 5)) * 7 * ww + x - 0.5f;
        const float lowerY = y + std::trunc(h * kBlackLengthFactor) - 0.5f;
        const float from[2] = {left, y + 0.5f};
        const float lower[2] = {left, lowerY};
        context->drawLine(from, lower, 1.0f);
        const float right[2] = {left + 7 * ww * kBlackWidthFactor - 2.0f, lowerY};
        context->drawLine(right, lower, note == meter ? 4.0f : 1.0f);
    }
}

void AM_View_Keyboard::drawGenerated(AM_Context* context)
{
    const float x = bounds_.x;
    const float y = bounds_.y;
    const float h = bounds_.h;
    const float ww = whiteWidth_;
    const int32_t meter = static_cast<int32_t>(std::trunc(keyMeter_));
    context->setColourPacked(kFrameColour);
    context->fillRect(&bounds_);
    const float shade = std::max(2.0f, std::round(h * 0.06f));
    const float mark = std::max(2.0f, std::round(h * 0.04f));
    for (int32_t i = 0; i < whiteCount_; ++i) {
        const int32_t note = kWhiteSemitones[i % 7] + kFirstNote + 12 * (i / 7);
        const AM_Rect key{x + static_cast<float>(i) * ww + 1, y + 1, std::max(0.0f, ww - 1),
                          std::max(0.0f, h - 2)};
        context->setColourPacked(isHeld(note) ? kWhiteHeldColour : kWhiteColour);
        context->fillRect(&key);
        const AM_Rect lip{key.x, key.y + key.h - shade, key.w, shade};
        context->setColourPacked(kWhiteShadeColour);
        context->fillRect(&lip);
        if (note == meter) {
            const AM_Rect bar{key.x + 1, key.y + key.h - shade - mark - 1, std::max(0.0f, key.w - 2),
                              mark};
            context->setColourPacked(kMeterMarkColour);
            context->fillRect(&bar);
        }
    }
    for (int32_t j = 0; j < blackCount_; ++j) {
        const int32_t note = kBlackSemitones[j % 5] + kFirstNote + 12 * (j / 5);
        const float left = (kBlackPercent[j % 5] * 0.01f + static_cast<float>(j / 5)) * octaveWidth_ + x;
        const AM_Rect key{left, y + 1, blackWidth_, std::max(0.0f, blackLength_ - 1)};
        context->setColourPacked(kFrameColour);
        context->fillRect(&key);
        const AM_Rect face{key.x + 1, key.y, std::max(0.0f, key.w - 2),
                           std::max(0.0f, key.h - 1)};
        context->setColourPacked(isHeld(note) ? kBlackHeldColour : kBlackColour);
        context->fillRect(&face);
        const AM_Rect top{face.x + 1, face.y + face.h - shade, std::max(0.0f, face.w - 2), shade};
        context->setColourPacked(kBlackTopColour);
        context->fillRect(&top);
        if (note == meter) {
            const AM_Rect bar{face.x + 1, top.y - mark - 1, std::max(0.0f, face.w - 2), mark};
            context->setColourPacked(kMeterMarkColour);
            context->fillRect(&bar);
        }
    }
}
