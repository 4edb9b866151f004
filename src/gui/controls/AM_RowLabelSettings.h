#pragma once
// The label settings of the preset browser's row lists (the folder view and
// the list view): a label text that is stored and written but not drawn, and
// the alignment, size and vertical offset of the row texts. Both write them
// as the same five PROPERTY lines and read them back alike.
//
// GUI thread only.

#include <cstdint>
#include <string>

struct AM_RowLabelSettings {
    static constexpr int32_t kTextBytes = 64;

    char text[kTextBytes] = {};
    int32_t alignment = 0;
    int32_t vAlignment = 1;
    float size = 11.0f;
    float vOffset = -2.0f;

    // At most 63 bytes of the text (null empties it).
    void setText(const char* value);
    // The five lines for the control, in their order: "labeltext" (empty
    // when a script line cannot hold the text), "labelTextAlignment",
    // "labelTextVAlignment" ("%d"), "labelTextSize", "labelTextVOffset"
    // ("%.2f"), all with id 0.
    void writeLines(std::string* script, const char* control) const;
    // Applies one of the five keys; false for any other name. Numbers that
    // do not read, sizes that are not positive and offsets that are not
    // finite leave the setting as it was.
    bool readProperty(const char* name, const char* value);
    // Everything but the text, to a clone.
    void copyLookTo(AM_RowLabelSettings& other) const;
};
