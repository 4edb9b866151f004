#pragma once
// The attribute table of the GUI script: every key a keyword's line may
// carry, with its row number and the type of its value. A line's values are
// looked up through these rows (AM_ScriptLine).

#include <cstdint>

// How a value is read: as text, or as one or more numbers separated by
// spaces ("%d", "%u", "%f" or "%x").
enum class AM_ScriptValueType : uint8_t { kText, kInt, kUnsigned, kFloat, kHex };

struct AM_ScriptAttribute {
    const char* keyword;
    const char* key;
    AM_ScriptValueType type;
};

// Rows of the attribute table.
enum AM_ScriptRow : int32_t {
    kRowControlType = 0,
    kRowControlName,
    kRowControlBounds,
    kRowControlInset,
    kRowControlParent,
    kRowControlLayerMask,
    kRowControlPrototype,
    kRowGraphicName,
    kRowGraphicPath,
    kRowGraphicType,
    kRowGraphicFilename,
    kRowPropertyControl,
    kRowPropertyName,
    kRowPropertyId,
    kRowPropertyValue,
    kRowGrPropertyGraphic,
    kRowGrPropertyName,
    kRowGrPropertyId,
    kRowGrPropertyValue,
    kRowVPropertyName,
    kRowVPropertyId,
    kRowVPropertyValue,
    kRowColourName,
    kRowColourRgba,
    kRowListenerControl,
    kRowListenerPort,
    kRowListenerListenTo,
    kRowListenerExtPort,
    kRowParameterControl,
    kRowParameterPort,
    kRowParameterModule,
    kRowParameterParameter,
    kRowParameterValueString,
    kRowIncludeFilename,
    kRowAlternativeFilename,
    kRowAlternativeName,
    kRowThemeName,
    kRowDefaultType,
    kRowDefaultProperty,
    kRowDefaultId,
    kRowDefaultValue,
    kScriptRows,
};

// Longest key name (the terminator not counted).
constexpr int kScriptKeyChars = 31;

// The row, or null for a number outside the table.
const AM_ScriptAttribute* AM_scriptAttribute(int32_t row);
