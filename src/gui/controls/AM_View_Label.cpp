#include "gui/controls/AM_View_Label.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Colour.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_Graphic.h"
#include "gui/views/AM_ControlMessages.h"
#include "gui/views/AM_ScriptWriter.h"
#include "gui/views/AM_ViewMan.h"
#include "params/object/AM_Messages.h"
#include "params/object/AM_ParamInfo.h"
#include "presets/AM_View_Interface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kTypeName = "Label";

constexpr uint32_t kTextTypes[] = {k_typeTextData};
const AM_PortDescriptor kPorts[] = {{0, "Text", 1, kTextTypes}};

enum ColourSlot : int32_t { kBackgroundColour = 0, kTextColour = 1 };
constexpr char kColourNames[][kGuiNameBytes] = {"LabelBackground", "Text"};
constexpr char kGraphicNames[][kGuiNameBytes] = {"LabelBackground"};

constexpr const char* kAlignmentKey = "labelTextAlignment";
constexpr const char* kVAlignmentKey = "labelTextVAlignment";
constexpr const char* kSizeKey = "labelTextSize";
constexpr const char* kVOffsetKey = "labelTextVOffset";
constexpr const char* kTextKey = "labeltext";
constexpr const char* kParentLabelKey = "parentLabel";
constexpr const char* kMetaDisplayKey = "metaDisplay";
constexpr const char* kYes = "yes";

// A message after every preset load.
constexpr uint32_t kMsgPresetLoaded = 46;

constexpr uint32_t kKeyPlus = 43;
constexpr uint32_t kKeyMinus = 45;
constexpr float kSmallestKeyedSize = 3.0f;

// The meta display's step per tick and the slack of a wrapped block before
// the label starts following its text.
constexpr float kGrowthStep = 16.0f;
constexpr float kGrowthMargin = 4.0f;
constexpr float kOverflowSlack = 8.0f;

constexpr size_t kMetaTitleChars = 127;
constexpr size_t kMetaTextChars = 511;
constexpr const char* kNoInformation = "- no information available -";

// Commands of the edit menu's own items (the high 16 bits of a code-5 item).
enum EditCommand : uint32_t {
    kTogglePassThrough = 1,
    kToggleMetaDisplay = 2,
    kAlignLeft = 3,
    kAlignCentre = 4,
    kAlignRight = 5,
};

void copyBounded(char* out, size_t outBytes, const char* text, size_t maxChars)
{
    if (outBytes == 0) {
        return;
    }
    const size_t n = std::min({text != nullptr ? std::strlen(text) : 0, maxChars, outBytes - 1});
    if (n > 0) {
        std::memmove(out, text, n);
    }
    out[n] = '\0';
}

} // namespace

AM_View_Label::AM_View_Label(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    char name[kGuiNameBytes];
    std::snprintf(name, sizeof name, "Label %u", unsigned(getId()));
    setName(name);
    copyBounded(text_, sizeof text_, getName(), kTextBytes - 1);
    initControl(0, 1, kPorts, 0, nullptr, 2, kColourNames, 1, kGraphicNames, false);
    if (viewMan_ != nullptr) {
        hAlign_ = viewMan_->getIntPreference(kTypeName, kAlignmentKey, 0, 1);
        vAlign_ = viewMan_->getIntPreference(kTypeName, kVAlignmentKey, 0, 1);
        textSize_ = viewMan_->getFloatPreference(kTypeName, kSizeKey, 0, 9.0f);
        textVOffset_ = viewMan_->getFloatPreference(kTypeName, kVOffsetKey, 0, -2.0f);
        if (getColour(kTextColour) == nullptr) {
            if (AM_Colour* black = viewMan_->getColour("black")) {
                setColour(black, kTextColour);
            }
        }
    }
}

AM_View_Label::~AM_View_Label() = default;

AM_ViewControl* AM_View_Label::create(AM_ViewMan* viewMan, const AM_Rect* bounds)
{
    auto* label = new AM_View_Label(viewMan, bounds);
    label->setFactory(&AM_View_Label::create);
    return label;
}

const char* AM_View_Label::getTypeName() const
{
    return kTypeName;
}

void AM_View_Label::makeLongBuffer(int32_t capacity)
{
    longText_ = std::make_unique<char[]>(static_cast<size_t>(capacity));
    longBytes_ = capacity;
}

void AM_View_Label::setPortParameter(int32_t i, const AM_ParamInfo* parameter)
{
    if (i == 0 && parameter != nullptr) {
        const float maximum = parameter->max;
        const int32_t capacity =
            std::isfinite(maximum) && maximum > 0 ? static_cast<int32_t>(std::min(maximum, 1e8f))
                                                  : 0;
        if (capacity > capacity_ && capacity >= kLongTextCapacity) {
            makeLongBuffer(capacity);
        }
        capacity_ = capacity;
    }
    AM_ViewControl::setPortParameter(i, parameter);
}

void AM_View_Label::setParameterValue(int32_t i, const void* value)
{
    if (i != 0) {
        return;
    }
    AM_ViewControl::setParameterValue(i, value);
    const char* text = static_cast<const char*>(value);
    if (text == nullptr || text == text_ || (longText_ && text == longText_.get())) {
        return;
    }
    // A parameter's text need not be terminated within its capacity.
    const size_t length = strnlen(text, static_cast<size_t>(std::max(capacity_, 0)));
    if (capacity_ < kLongTextCapacity) {
        copyBounded(text_, sizeof text_, std::string(text, length).c_str(), kTextBytes - 1);
    } else if (longText_) {
        copyBounded(longText_.get(), static_cast<size_t>(longBytes_), std::string(text, length).c_str(),
                    static_cast<size_t>(longBytes_) - 1);
    }
    redraw();
}

void AM_View_Label::onDoubleClick(const float* point, uint32_t buttons)
{
    (void)point;
    (void)buttons;
    if (viewMan_ == nullptr) {
        return;
    }
    const bool editMode = (state_ & kStateEditMode) != 0;
    const bool bound = getPort(0) != nullptr && getPort(0)->parameter != nullptr;
    // The entry writes straight into the text, within what the label holds.
    if (editMode || (bound && capacity_ < kLongTextCapacity)) {
        const int32_t bytes = editMode ? kTextBytes : std::clamp(capacity_ + 1, 1, kTextBytes);
        viewMan_->beginTextEntry(this, 0, text_, static_cast<uint32_t>(bytes), text_);
    } else if (bound && longText_) {
        viewMan_->beginTextEntry(this, 0, longText_.get(), static_cast<uint32_t>(longBytes_),
                                 longText_.get(), true);
    }
}

bool AM_View_Label::onMouseDown(const float* point, uint32_t buttons)
{
    AM_ViewControl* parent = getParentControl();
    passThrough_ = parent != nullptr && parent->onMouseDown(point, buttons) ? 1 : 0;
    return passThrough_ != 0;
}

void AM_View_Label::onMouseDrag(const float* point, uint32_t buttons)
{
    if (passThrough_ != 0) {
        if (AM_ViewControl* parent = getParentControl()) {
            parent->onMouseDrag(point, buttons);
        }
    }
}

void AM_View_Label::onMouseUp(const float* point, uint32_t buttons)
{
    if (passThrough_ != 0) {
        if (AM_ViewControl* parent = getParentControl()) {
            parent->onMouseUp(point, buttons);
        }
    }
    passThrough_ = 0;
}

bool AM_View_Label::onKeyDown(uint32_t key, uint32_t modifiers)
{
    (void)modifiers;
    if ((state_ & kStateEditMode) == 0) {
        return false;
    }
    if (key == kKeyPlus) {
        setTextSize(textSize_ + 1.0f);
        return true;
    }
    if (key == kKeyMinus) {
        if (textSize_ > kSmallestKeyedSize) {
            setTextSize(textSize_ - 1.0f);
        } else {
            redraw();
        }
        return true;
    }
    return false;
}

void AM_View_Label::onTimer()
{
    if (metaDisplay_ == 0) {
        return;
    }
    float d = textHeight_ - (bounds_.h + kGrowthMargin);
    if (d == 0.0f) {
        return;
    }
    if (d >= -kGrowthStep && d <= kGrowthStep) {
        setTimer(false);
    }
    d = std::clamp(d, -kGrowthStep, kGrowthStep);
    auto* parent = getParentControl();
    if (parent != nullptr) {
        parent->redraw();
    }
    growBy(0, 0, 0, d, false);
    if (parent != nullptr) {
        parent->growBy(0, 0, 0, d, false);
        parent->redraw();
    }
}

void AM_View_Label::draw(AM_Context* context)
{
    if (context == nullptr) {
        return;
    }
    context->setFontSize(textSize_);
    if (AM_Graphic* background = getGraphic(0)) {
        background->draw(context, &bounds_, 1.0f);
    }
    if (AM_Colour* background = getColour(kBackgroundColour)) {
        context->setColourFromObject(background);
        context->fillRect(&bounds_);
    }
    if (AM_Colour* text = getColour(kTextColour)) {
        context->setColourFromObject(text);
    } else {
        context->setColourPacked(0x000000FF);
    }
    AM_Rect box = bounds_;
    box.y += textVOffset_;
    if (capacity_ >= kLongTextCapacity) {
        const float lineHeight = std::trunc(textSize_ * 1.5f);
        textHeight_ = context->drawTextBox(getLongText(), &box, hAlign_, lineHeight);
        if (textHeight_ < bounds_.h || textHeight_ > bounds_.h + kOverflowSlack) {
            setTimer(true);
        }
        return;
    }
    if (vAlign_ == 1) {
        context->drawText(text_, &box, hAlign_, true);
        return;
    }
    if (vAlign_ >= 2) {
        // On the bottom: the baseline a quarter of the size above it.
        box.y = box.y + box.h - textSize_ * 1.25f;
    }
    context->drawText(text_, &box, hAlign_, false);
}

void AM_View_Label::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case k_msgSetLabel:
        setText(static_cast<const char*>(ptr));
        return;
    case kCtlMsgRename:
        if (isRenamePending()) {
            AM_ViewControl::receiveMessage(sender, message, arg, ptr);
            return;
        }
        if ((state_ & kStateEditMode) != 0) {
            if (ptr != nullptr && ptr != text_) {
                setText(static_cast<const char*>(ptr));
            }
            redraw();
            return;
        }
        if (getPort(0) != nullptr && getPort(0)->parameter != nullptr) {
            if (ptr != nullptr && ptr != text_ && !(longText_ && ptr == longText_.get())) {
                const char* entered = static_cast<const char*>(ptr);
                if (capacity_ >= kLongTextCapacity && longText_) {
                    copyBounded(longText_.get(), static_cast<size_t>(longBytes_), entered,
                                static_cast<size_t>(longBytes_) - 1);
                } else {
                    copyBounded(text_, sizeof text_, entered,
                                static_cast<size_t>(std::clamp(capacity_, 0, kTextBytes - 1)));
                }
            }
            sendText();
        }
        return;
    case kMsgPresetLoaded:
        if (metaDisplay_ != 0) {
            showMetaInfo();
        }
        AM_ViewControl::receiveMessage(sender, message, arg, ptr);
        return;
    default:
        AM_ViewControl::receiveMessage(sender, message, arg, ptr);
        return;
    }
}

void AM_View_Label::sendText()
{
    if (capacity_ >= kLongTextCapacity && longText_) {
        // The parameter takes a block of its capacity.
        std::string block(static_cast<size_t>(capacity_), '\0');
        std::memcpy(block.data(), longText_.get(),
                    std::min(static_cast<size_t>(capacity_), std::strlen(longText_.get())));
        setValueFromUser(0, block.data());
        return;
    }
    std::string block(static_cast<size_t>(std::max(capacity_, kTextBytes)), '\0');
    std::memcpy(block.data(), text_, std::strlen(text_));
    setValueFromUser(0, block.data());
}

AM_ControlMenu AM_View_Label::buildEditItems() const
{
    AM_ControlMenu menu;
    menu.push_back({"parentClickThrough", AM_controlCommand(kTogglePassThrough), true,
                    passThrough_ != 0});
    menu.push_back({"metaDisplay", AM_controlCommand(kToggleMetaDisplay), true, metaDisplay_ != 0});
    AM_addMenuSeparator(&menu);
    menu.push_back({"align left", AM_controlCommand(kAlignLeft), true, hAlign_ == 0});
    menu.push_back({"align center", AM_controlCommand(kAlignCentre), true, hAlign_ == 1});
    menu.push_back({"align right", AM_controlCommand(kAlignRight), true, hAlign_ == 2});
    return menu;
}

bool AM_View_Label::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                      const AM_MenuItem* item)
{
    if (!valid || item == nullptr) {
        return true;
    }
    if (menuId == kControlEditMenu && AM_menuCode(item->command) == kControlMenuCode) {
        applyEditCommand(item->command);
        return true;
    }
    return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
}

void AM_View_Label::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    AM_buildClassEditMenu(this, point, open, extra, buildEditItems());
}

bool AM_View_Label::applyEditCommand(uint32_t command)
{
    if ((command & 0xFFFF) != kControlMenuCode) {
        return false;
    }
    switch (command >> 16) {
    case kTogglePassThrough:
        passThrough_ = passThrough_ != 0 ? 0 : 1;
        break;
    case kToggleMetaDisplay:
        metaDisplay_ = metaDisplay_ != 0 ? 0 : 1;
        break;
    case kAlignLeft:
    case kAlignCentre:
    case kAlignRight:
        setTextAlignment(static_cast<int32_t>((command >> 16) - kAlignLeft));
        break;
    default:
        break;
    }
    return true;
}

void AM_View_Label::setText(const char* text)
{
    copyBounded(text_, sizeof text_, text, kSetTextLimit);
    redraw();
}

void AM_View_Label::setTextSize(float size)
{
    textSize_ = size;
    redraw();
}

void AM_View_Label::setTextAlignment(int32_t alignment)
{
    hAlign_ = alignment;
    redraw();
}

void AM_View_Label::setTextVAlignment(int32_t alignment)
{
    vAlign_ = alignment;
    redraw();
}

void AM_View_Label::setTextVOffset(float offset)
{
    textVOffset_ = offset;
    redraw();
}

AM_View_Label* AM_View_Label::cloneWithText(float dx, float dy, AM_ViewControl* newParent)
{
    auto* copy = dynamic_cast<AM_View_Label*>(clone(false, newParent, dx, dy));
    if (copy == nullptr) {
        return nullptr;
    }
    copy->textSize_ = textSize_;
    copy->hAlign_ = hAlign_;
    copy->vAlign_ = vAlign_;
    copy->textVOffset_ = textVOffset_;
    if (parentLabel_ != 0 && newParent != nullptr) {
        copy->parentLabel_ = 1;
    }
    copy->setText(text_);
    return copy;
}

void AM_View_Label::showMetaInfo()
{
    if (longBytes_ < kMetaCapacity) {
        makeLongBuffer(kMetaCapacity);
    }
    capacity_ = std::max(capacity_, kMetaCapacity);
    longText_[0] = '\0';
    AM_View_Interface* host = viewMan_ != nullptr ? viewMan_->getInterface() : nullptr;
    const AM_ParamInfo* first = host != nullptr ? host->findParameter("PCore", "MetaA") : nullptr;
    if (first == nullptr) {
        return;
    }
    auto readText = [&](int32_t offset, size_t maxChars) {
        const int32_t index = static_cast<int32_t>(first->index) + offset;
        const AM_ParamInfo* info = host->getParameterInfo(index, false);
        const char* value = static_cast<const char*>(host->getParameterValue(index));
        if (info == nullptr || value == nullptr) {
            return std::string();
        }
        const size_t limit = std::min(maxChars, static_cast<size_t>(std::max(info->max, 0.0f)));
        std::string text(value, strnlen(value, limit));
        AM_STD::unescapeString(text.data());
        text.resize(std::strlen(text.c_str()));
        return text;
    };
    const std::string title = readText(0, kMetaTitleChars);
    const std::string description = readText(1, kMetaTextChars);
    const std::string usage = readText(2, kMetaTextChars);
    std::string joined = description;
    for (const std::string* part : {&usage, &title}) {
        if (part->empty()) {
            continue;
        }
        if (!joined.empty()) {
            joined += "\n\n";
        }
        joined += *part;
    }
    if (joined.empty()) {
        joined = kNoInformation;
    }
    copyBounded(longText_.get(), static_cast<size_t>(longBytes_), joined.c_str(),
                static_cast<size_t>(longBytes_) - 1);
    redraw();
}

void AM_View_Label::writeControl(std::string* script)
{
    AM_ViewControl::writeControl(script);
    if (script == nullptr) {
        return;
    }
    AM_ScriptWriter writer(*script);
    if (getPort(0) == nullptr || getPort(0)->parameter == nullptr) {
        writer.property(getName(), kTextKey, 0, text_);
    }
    auto writeIfChanged = [&](const char* key, const char* text) {
        const char* preference =
            viewMan_ != nullptr ? viewMan_->findPreference(kTypeName, key, 0) : nullptr;
        if (preference == nullptr || std::strcmp(preference, text) != 0) {
            writer.property(getName(), key, 0, text);
        }
    };
    char text[32];
    std::snprintf(text, sizeof text, "%d", int(hAlign_));
    writeIfChanged(kAlignmentKey, text);
    std::snprintf(text, sizeof text, "%d", int(vAlign_));
    writeIfChanged(kVAlignmentKey, text);
    std::snprintf(text, sizeof text, "%.2f", double(textSize_));
    writeIfChanged(kSizeKey, text);
    std::snprintf(text, sizeof text, "%.2f", double(textVOffset_));
    writeIfChanged(kVOffsetKey, text);
    if (parentLabel_ != 0) {
        writer.property(getName(), kParentLabelKey, 0, kYes);
    }
    if (metaDisplay_ != 0) {
        writer.property(getName(), kMetaDisplayKey, 0, kYes);
    }
}

void AM_View_Label::setProperty(const char* name, int32_t id, const char* value)
{
    AM_ViewControl::setProperty(name, id, value);
    if (name == nullptr || value == nullptr) {
        return;
    }
    if (std::strcmp(name, kTextKey) == 0) {
        if (valueLabel_ == 0) {
            copyBounded(text_, sizeof text_, value, kTextBytes - 1);
        }
    } else if (std::strcmp(name, kAlignmentKey) == 0) {
        int v = 0;
        if (std::sscanf(value, "%d", &v) == 1) {
            hAlign_ = v;
        }
    } else if (std::strcmp(name, kVAlignmentKey) == 0) {
        int v = 0;
        if (std::sscanf(value, "%d", &v) == 1) {
            vAlign_ = v;
        }
    } else if (std::strcmp(name, kSizeKey) == 0) {
        float v = 0;
        if (std::sscanf(value, "%f", &v) == 1 && std::isfinite(v)) {
            textSize_ = v;
        }
    } else if (std::strcmp(name, kVOffsetKey) == 0) {
        float v = 0;
        if (std::sscanf(value, "%f", &v) == 1 && std::isfinite(v)) {
            textVOffset_ = v;
        }
    } else if (std::strcmp(name, kParentLabelKey) == 0) {
        if (std::strcmp(value, kYes) == 0) {
            parentLabel_ = 1;
        }
    } else if (std::strcmp(name, kMetaDisplayKey) == 0) {
        if (std::strcmp(value, kYes) == 0) {
            metaDisplay_ = 1;
            showMetaInfo();
        }
    }
}
