#pragma once
// The values of a shape and their GUI-script form: defaults, value names,
// the GR_PROPERTY keys that set them and the lines that write them, and
// the editing steps of the shape editor. The shape classes hold one and
// add colour links and drawing.
//
// Ring segment ("circ"): 0 AS0 start angle, 1 AE0 arc, 2 RI0 inner radius,
// 3 RO0 outer radius at value 0, 4-7 AS1, AE1, RI1, RO1 at value 1 (angles
// in degrees clockwise from straight up, radii as fractions of the
// rectangle's shorter side). Box ("box"): left, top, right and bottom as
// fractions of the rectangle, each for state 0 and state 1. Rounded
// rectangle ("rounded rect"): border and radius.

#include <cstddef>
#include <string>

enum class AM_ShapeKind { circ, box, roundRect };

class AM_ShapeValues {
public:
    static constexpr int kMaxValues = 8;

    explicit AM_ShapeValues(AM_ShapeKind kind);

    AM_ShapeKind kind() const { return kind_; }
    // The GRAPHIC line's type.
    const char* typeName() const;
    // Colour links of the kind: 9, 6 or 2.
    int linkCount() const;
    int count() const;
    // 0 for an index out of range.
    float get(int index) const;
    // An index out of range changes nothing.
    void set(int index, float value);
    // The value's name, "huh?" for an index out of range.
    const char* name(int index) const;

    // The outcome of a GR_PROPERTY line.
    enum class Take {
        taken,   // a value was set
        refused, // a key of this shape with an id out of range
        other,   // not a value key of this shape
    };
    Take setProperty(const char* key, int id, const char* value);
    // Appends the value lines of the shape named graphicName.
    void writeLines(std::string& out, const char* graphicName) const;

    // Changes one value by an editing step of amount and writes the text the
    // info line shows; false (and no text) for an index that changes nothing.
    bool edit(int index, float amount, char* text, size_t capacity);
    // The info line's tag: "CircParam", "BoxParam" or "RRParam".
    const char* editTag() const;

private:
    AM_ShapeKind kind_;
    float values_[kMaxValues] = {};
};
