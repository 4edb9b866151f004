#include "gui/views/AM_RootView.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/AM_Context.h"
#include "gui/graphics/AM_GuiMessages.h"
#include "gui/views/AM_ViewMan.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace {

// One row of the grid-spacing menu; the table ends with a row of value -1.
struct GridRow {
    float value;
    char text[8];
};

constexpr GridRow kGridRows[] = {
    {8, "8px"},   {9, "9px"},   {10, "10px"}, {11, "11px"}, {12, "12px"}, {13, "13px"},
    {14, "14px"}, {15, "15px"}, {16, "16px"}, {17, "17px"}, {18, "18px"}, {19, "19px"},
    {20, "20px"}, {21, "21px"}, {22, "22px"}, {23, "23px"}, {24, "24px"}, {25, "25px"},
    {26, "26px"}, {27, "27px"}, {28, "28px"}, {29, "29px"}, {30, "30px"}, {31, "31px"},
    {32, "32px"}, {-1, ""},
};

constexpr const char* kCloneModeNames[AM_RootView::kCloneModes] = {
    "empty instance", "Param +1",  "Param +2",  "Param +3",  "Param +4",  "Param +5",
    "Param +6",       "Param +7",  "Param +8",  "Param +9",  "Param +10", "Param +11",
    "Param +12",      "Param +13", "Param +14", "Param +15", "Param +16", "next Module",
};

constexpr const char* kGridSwitchNames[2] = {"off", "on"};

// Font files by the number a "FontFace" value gives (index 0: any other).
constexpr const char* kFontFaces[] = {
    "Vera.ttf",
    "Share-Regular.ttf",
    "DroidSans.ttf",
    "DroidSans-Bold.ttf",
    "DroidSans-Bold.ttf",
    "DroidSans-Bold.ttf",
    "#l_10646.ttf",
    "LucidaGrande.ttf",
    "DejaVuSans-Bold.ttf",
    "DejaVuSansCondensed-Bold.ttf",
    "LiberationSerif-Bold.ttf",
    "LiberationSans-Bold.ttf",
    "LiberationSans-Regular.ttf",
};
constexpr int32_t kFontFaceCount = int32_t(sizeof kFontFaces / sizeof kFontFaces[0]);

// Colours (RGBA) of the edit-mode drawing.
constexpr uint32_t kGridStrongColour = 0xA080FF80;
constexpr uint32_t kGridColour = 0xA080FF30;
constexpr uint32_t kEditFillColour = 0xE0E0E0FF;
constexpr uint32_t kEditFrameColour = 0x0000FF60;
// Every fourth grid line is drawn stronger.
constexpr int32_t kStrongLineEvery = 4;

// The parameter types the listener entries follow: value parameters.
constexpr uint32_t kValueTypes[] = {1};
const AM_ListenerDescriptor kListenerTable[AM_RootView::kListeners] = {
    {0, "Gamma", 1, kValueTypes},        {1, "FontGamma", 1, kValueTypes},
    {2, "FontWeight", 1, kValueTypes},   {3, "FontRenderer", 1, kValueTypes},
    {4, "FontFace", 1, kValueTypes},     {5, "GridSize", 1, kValueTypes},
};

// The notice an empty GUI shows in run mode.
constexpr const char* kEmptyNotice = "No GUI script was found for this plug-in.";
constexpr uint32_t kNoticeBackground = 0x303438FF;
constexpr uint32_t kNoticeText = 0xE8E8E8FF;
constexpr float kNoticeTextSize = 12.0f;

int32_t clampInt(int32_t v, int32_t lo, int32_t hi)
{
    return std::min(std::max(v, lo), hi);
}

} // namespace

AM_RootView::AM_RootView(AM_ViewMan* viewMan, const AM_Rect* bounds)
    : AM_ViewControl(viewMan, bounds)
{
    setName(kName);
    initControl(0, 0, nullptr, kListeners, kListenerTable, 0, nullptr, 0, nullptr, false);
    isContainer_ = 1;
    state_ = kRootState;
}

AM_RootView::~AM_RootView() = default;

const char* AM_RootView::getTypeName() const
{
    return nullptr;
}

void AM_RootView::setGridSize(int32_t size)
{
    gridSize_ = clampInt(size, kMinGridSize, kMaxGridSize);
}

void AM_RootView::setGridShown(bool shown)
{
    gridShown_ = shown ? 1 : 0;
}

bool AM_RootView::snapToGrid(const float* point, float* offset)
{
    if (point == nullptr || offset == nullptr || gridShown_ == 0)
        return false;
    // A grid that an inspector field pushed out of range still snaps sanely.
    const float grid = float(clampInt(gridSize_, kMinGridSize, kMaxGridSize));
    bool snapped = false;
    for (int axis = 0; axis < 2; ++axis) {
        const float c = point[axis];
        if (!std::isfinite(c))
            continue;
        const float r = c - std::trunc(c / grid) * grid;
        if (std::fabs(r) < kSnapDistance) {
            offset[axis] = -r;
            snapped = true;
        }
    }
    return snapped;
}

uint32_t AM_RootView::getCloneMode() const
{
    return std::min(cloneMode_, kCloneModes - 1);
}

void AM_RootView::setCloneMode(uint32_t mode)
{
    cloneMode_ = std::min(mode, kCloneModes - 1);
}

const char* AM_RootView::cloneModeName(uint32_t mode)
{
    return mode < kCloneModes ? kCloneModeNames[mode] : nullptr;
}

AM_EditTransform AM_RootView::getTransform() const
{
    AM_EditTransform t;
    t.x = transformX_;
    t.y = transformY_;
    t.w = transformW_;
    t.h = transformH_;
    t.arrayCount = cloneArray_;
    return t;
}

void AM_RootView::setTransform(const AM_EditTransform& t)
{
    transformX_ = clampInt(t.x, kMinTransformOffset, kMaxTransformOffset);
    transformY_ = clampInt(t.y, kMinTransformOffset, kMaxTransformOffset);
    transformW_ = clampInt(t.w, kMinTransformScale, kMaxTransformScale);
    transformH_ = clampInt(t.h, kMinTransformScale, kMaxTransformScale);
    cloneArray_ = clampInt(t.arrayCount, kMinCloneArray, kMaxCloneArray);
}

const char* AM_RootView::fontFaceFor(float value)
{
    if (!std::isfinite(value))
        return kFontFaces[0];
    const float n = std::trunc(12.5f * value);
    if (n < 1.0f || n >= float(kFontFaceCount))
        return kFontFaces[0];
    return kFontFaces[int32_t(n)];
}

void AM_RootView::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case kMsgWriteProperties:
        if ((state_ & kStateEditMode) == 0 && ptr != nullptr) {
            AM_STD::printv("RootControl outputs properties anyway :-p");
            writeProperties(static_cast<std::string*>(ptr));
        }
        break;
    case kMsgToggleGrid:
        toggleGridWithInfo();
        break;
    case kMsgBindInspector:
        bindInspector();
        break;
    default:
        break;
    }
    AM_ViewControl::receiveMessage(sender, message, arg, ptr);
}

void AM_RootView::toggleGridWithInfo()
{
    gridShown_ = gridShown_ != 0 ? 0 : 1;
    char text[32];
    AM_STD::sprintn(text, sizeof text, "pix: %.0f", double(gridSize_));
    redraw();
    if (viewMan_ != nullptr)
        viewMan_->showInfoLine(0, this, gridShown_ != 0 ? "Grid ON" : "Grid OFF", text, true);
}

void AM_RootView::bindInspector()
{
    if (viewMan_ == nullptr)
        return;
    // The editor's own fields live beside the GUI, under the top control.
    AM_ViewControl* top = viewMan_->getTopControl();
    if (top == nullptr)
        return;
    using Kind = AM_InspectorField::Kind;
    struct Binding {
        const char* name;
        const char* label;
        void* field;
        Kind kind;
        const char* const* texts;
        int32_t minimum;
        int32_t maximum;
    };
    const Binding bindings[] = {
        {"*i*GridMenu", "Grid px", &gridSize_, Kind::kInt32, nullptr, kMinGridSize, kMaxGridSize},
        {"*i*GridSwitch", "show Grid", &gridShown_, Kind::kUInt32, kGridSwitchNames, 0, 1},
        {"*i*TF_x", nullptr, &transformX_, Kind::kInt32, nullptr, kMinTransformOffset,
         kMaxTransformOffset},
        {"*i*TF_y", nullptr, &transformY_, Kind::kInt32, nullptr, kMinTransformOffset,
         kMaxTransformOffset},
        {"*i*TF_w", nullptr, &transformW_, Kind::kInt32, nullptr, kMinTransformScale,
         kMaxTransformScale},
        {"*i*TF_h", nullptr, &transformH_, Kind::kInt32, nullptr, kMinTransformScale,
         kMaxTransformScale},
        {"*i*CloneMode", nullptr, &cloneMode_, Kind::kUInt32, kCloneModeNames, 0,
         int32_t(kCloneModes) - 1},
        {"*i*CloneArray", nullptr, &cloneArray_, Kind::kInt32, nullptr, kMinCloneArray,
         kMaxCloneArray},
    };
    for (const Binding& b : bindings) {
        auto* control = dynamic_cast<AM_ViewControl*>(top->findByName(b.name));
        if (control == nullptr)
            continue;
        AM_InspectorField field;
        field.owner = this;
        field.label = b.label;
        field.field = b.field;
        field.kind = b.kind;
        field.valueTexts = b.texts;
        field.minimum = b.minimum;
        field.maximum = b.maximum;
        control->bindField(field);
    }
}

void AM_RootView::listenerValueChanged(int32_t i, const void* value)
{
    if (value == nullptr)
        return;
    float v = 0.0f;
    std::memcpy(&v, value, sizeof v);
    if (!std::isfinite(v)) {
        AM_STD::printv("root: listener %d ignores a value that is not a number", int(i));
        return;
    }
    AM_Context* context = viewMan_ != nullptr ? viewMan_->getContext() : nullptr;
    if (context != nullptr) {
        switch (i) {
        case kListenGamma:
            context->setGamma(2.0f * v);
            break;
        case kListenFontGamma:
            context->setTextGamma(2.0f * v);
            AM_STD::printv("FontGamma: %f", double(2.0f * v));
            break;
        case kListenFontWeight:
            context->setFontWeight(0.2f * v - 0.1f);
            AM_STD::printv("FontWeight: %f", double(0.2f * v - 0.1f));
            break;
        case kListenFontRenderer: {
            const float mode = std::trunc(4.0f * v);
            context->setGlyphMode(mode <= 0.0f ? 0u : uint32_t(std::min(mode, 4.0f)));
            break;
        }
        case kListenFontFace: {
            const char* face = fontFaceFor(v);
            context->setFontFileName(face);
            AM_STD::printv("FontFace: %s", face);
            break;
        }
        default:
            break;
        }
    }
    // Text drawn with other settings: the whole GUI is drawn again.
    redraw();
}

void AM_RootView::buildEditMenu(const float* point, bool open, uint32_t extra)
{
    (void)extra;
    if (viewMan_ == nullptr)
        return;
    AM_ViewMan& vm = *viewMan_;
    if (open) {
        vm.beginMenu(this, point, kEditMenuId);
        vm.addMenuItem(0, 0, kName);
    }
    const auto command = [](uint32_t sub) { return (sub << 16) | kRootCommandCode; };
    vm.addMenuItem(0, 0, kMenuSeparatorText);
    vm.addMenuItem(0, command(kCmdToggleGrid), "show Grid", 0,
                   kMenuCheckable | (gridShown_ != 0 ? uint32_t(kMenuChecked) : 0u));
    const uint32_t spacing = vm.addSubMenu(0, "Grid Spacing");
    for (const GridRow* row = kGridRows; row->value >= 0.0f; ++row) {
        const bool current = int32_t(row->value) == gridSize_;
        vm.addMenuItem(spacing, command(kCmdGridSpacing), row->text, 0,
                       kMenuCheckable | (current ? uint32_t(kMenuChecked) : 0u),
                       const_cast<GridRow*>(row));
    }
    vm.addMenuItem(0, 0, kMenuSeparatorText);
    const uint32_t cloning = vm.addSubMenu(0, "Cloning");
    for (uint32_t m = 0; m < kCloneModes; ++m) {
        const bool current = m == cloneMode_;
        vm.addMenuItem(cloning, command(kCmdCloneMode), kCloneModeNames[m], 0,
                       kMenuCheckable | (current ? uint32_t(kMenuChecked) : 0u),
                       const_cast<char*>(kCloneModeNames[m]));
    }
    vm.addMenuItem(0, 0, kMenuSeparatorText);
    if (vm.isEditMode()) {
        vm.addMenuItem(0, command(kCmdSave), "save changes");
        vm.addMenuItem(0, 0, kMenuSeparatorText);
        vm.addMenuItem(0, command(kCmdSwitchMode), "check out");
    } else {
        vm.addMenuItem(0, command(kCmdSwitchMode), "back to edit");
    }
    if (open)
        vm.showMenu();
}

bool AM_RootView::handleMenuCommand(const float* point, uint32_t menuId, bool valid,
                                    const AM_MenuItem* item)
{
    if (!valid || item == nullptr || menuId != kEditMenuId ||
        (item->command & 0xFFFF) != kRootCommandCode || viewMan_ == nullptr) {
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
    AM_ViewMan* vm = viewMan_;
    switch (item->command >> 16) {
    case kCmdToggleGrid:
        gridShown_ = gridShown_ != 0 ? 0 : 1;
        redraw();
        return true;
    case kCmdGridSpacing: {
        const auto* row = static_cast<const GridRow*>(item->userData);
        if (row == nullptr || row->value < float(kMinGridSize) || row->value > float(kMaxGridSize))
            return false;
        gridSize_ = int32_t(row->value);
        if (gridShown_ != 0)
            redraw();
        return true;
    }
    case kCmdSave:
        vm->saveScript();
        return true;
    case kCmdReload:
        // This root goes away with the old GUI: nothing here is touched after.
        vm->newRootView();
        vm->loadScriptFile(nullptr, -1);
        return true;
    case kCmdSwitchMode:
        vm->setEditMode(!vm->isEditMode());
        return true;
    case kCmdCloneMode: {
        const auto* text = static_cast<const char*>(item->userData);
        if (text == nullptr)
            return false;
        for (uint32_t m = 0; m < kCloneModes; ++m) {
            if (std::strcmp(text, kCloneModeNames[m]) == 0) {
                AM_STD::printv("cloning mode %s", text);
                vm->setCloneMode(m);
                redraw();
                return true;
            }
        }
        return false;
    }
    default:
        return AM_ViewControl::handleMenuCommand(point, menuId, valid, item);
    }
}

void AM_RootView::draw(AM_Context* context)
{
    if (context == nullptr || getFirstChildControl() != nullptr ||
        (viewMan_ != nullptr && viewMan_->isEditMode()))
        return;
    // Nothing to show: say so instead of leaving the window blank.
    context->setColourPacked(kNoticeBackground);
    context->fillRect(&bounds_);
    context->setColourPacked(kNoticeText);
    context->setFontSize(kNoticeTextSize);
    context->drawText(kEmptyNotice, &bounds_, 1, true);
}

void AM_RootView::drawEditFrame(AM_Context* context)
{
    if (context == nullptr || viewMan_ == nullptr || !viewMan_->isEditMode())
        return;
    const AM_Rect inner{bounds_.x + 0.5f, bounds_.y + 0.5f, bounds_.w - 1.0f, bounds_.h - 1.0f};
    context->setColourPacked(kEditFillColour);
    context->fillRect(&inner);
    context->setColourPacked(kEditFrameColour);
    context->frameRect(&inner);
}

void AM_RootView::drawOverlay(AM_Context* context)
{
    if (context == nullptr || viewMan_ == nullptr || !viewMan_->isEditMode() || gridShown_ == 0)
        return;
    const int32_t grid = clampInt(gridSize_, kMinGridSize, kMaxGridSize);
    const float g = float(grid);
    const float x = bounds_.x;
    const float y = bounds_.y;
    const int32_t columns = int32_t(std::trunc(bounds_.w / g));
    for (int32_t k = 1; k < columns; ++k) {
        context->setColourPacked(k % kStrongLineEvery == 0 ? kGridStrongColour : kGridColour);
        const float px = x + 0.5f + float(k) * g;
        const float p0[2] = {px, y + 0.5f};
        const float p1[2] = {px, y + bounds_.h + 0.5f};
        context->drawLine(p0, p1, 1.0f);
    }
    const int32_t rows = int32_t(std::trunc(bounds_.h / g));
    for (int32_t k = 1; k < rows; ++k) {
        context->setColourPacked(k % kStrongLineEvery == 0 ? kGridStrongColour : kGridColour);
        const float py = y + 0.5f + float(k) * g;
        const float p0[2] = {x + 0.5f, py};
        const float p1[2] = {x + bounds_.w + 0.5f, py};
        context->drawLine(p0, p1, 1.0f);
    }
}
