#pragma once
// AM_LineReader: reads a text held in memory line by line. A line ends at a
// carriage return or a line feed; exactly one of them is stepped over, so a
// CR LF pair gives the line and then an empty line.
//
// The text belongs to the caller and must outlive the reader. A reader
// belongs to one caller (any thread).

#include <cstdint>

class AM_LineReader {
public:
    // Null reads as an empty text.
    explicit AM_LineReader(const char* text);

    // Copies the next line into buffer (room for maxLength + 1 bytes): the
    // first maxLength characters are kept and terminated, the rest of the line
    // is skipped. Returns the characters kept plus 1 (an empty line gives 1),
    // or 0 when the text is used up.
    uint32_t readLine(char* buffer, uint32_t maxLength);

    // Lines read so far.
    uint32_t getLineCount() const { return lines_; }
    // Index of the next character to read.
    uint32_t getPosition() const { return position_; }

private:
    const char* text_;
    uint32_t position_ = 0;
    uint32_t lines_ = 0;
};
