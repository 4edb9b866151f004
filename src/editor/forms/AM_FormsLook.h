#pragma once
// The look the editor's menus and dialogs share: colours (packed
// 0xRRGGBBAA) and sizes in GUI units, which the drawing context zooms.

#include <cstdint>

namespace AM_FormsLook {

// Panels: menus, the save form, the question.
constexpr uint32_t kPanel = 0x2a2e35ff;
constexpr uint32_t kPanelBorder = 0x646c78ff;
constexpr uint32_t kPanelShade = 0x00000040;
constexpr uint32_t kText = 0xebe8e2ff;
constexpr uint32_t kTextDim = 0x9aa1abff;
constexpr uint32_t kTextDisabled = 0x6f7580ff;
constexpr uint32_t kHighlight = 0x3f78d0ff;
constexpr uint32_t kHighlightText = 0xffffffff;
constexpr uint32_t kSeparator = 0x474d57ff;
constexpr uint32_t kError = 0xff8a7aff;
constexpr uint32_t kTitle = 0xffffffff;

// Entry fields.
constexpr uint32_t kField = 0x16181cff;
constexpr uint32_t kFieldBorder = 0x59616dff;
constexpr uint32_t kFieldFocus = 0x5b95eaff;
constexpr uint32_t kFieldText = 0xf2f0ebff;
constexpr uint32_t kSelection = 0x2f5f9eff;
constexpr uint32_t kCaret = 0xffffffff;

// Buttons.
constexpr uint32_t kButton = 0x3a404aff;
constexpr uint32_t kButtonBorder = 0x6a7380ff;
constexpr uint32_t kButtonDefault = 0x3f78d0ff;
constexpr uint32_t kButtonDefaultBorder = 0x7aa7eeff;
constexpr uint32_t kButtonPressed = 0x2c5da8ff;

// Menus.
constexpr float kMenuFontSize = 11.0f;
constexpr float kMenuRowHeight = 20.0f;
constexpr float kMenuSeparatorHeight = 9.0f;
constexpr float kMenuPadding = 4.0f;
constexpr float kMenuCheckColumn = 22.0f;
constexpr float kMenuArrowColumn = 22.0f;
constexpr float kMenuMinWidth = 120.0f;
constexpr float kMenuMaxTextWidth = 360.0f;
constexpr float kMenuScrollArrowHeight = 16.0f;
// The highlight's inset from the panel's sides.
constexpr float kMenuHighlightInset = 3.0f;

// Dialogs.
constexpr float kFontSize = 11.0f;
constexpr float kTitleFontSize = 12.0f;
constexpr float kLineHeight = 15.0f;
constexpr float kFieldPadding = 4.0f;
constexpr float kButtonHeight = 24.0f;
constexpr float kButtonMinWidth = 76.0f;
constexpr float kButtonTextPadding = 14.0f;
constexpr float kMargin = 12.0f;
constexpr float kGap = 8.0f;

// Caret blinking, milliseconds a phase.
constexpr uint32_t kCaretBlinkMs = 530;

} // namespace AM_FormsLook
