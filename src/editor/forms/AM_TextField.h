#pragma once
// The text of an entry field and its editing: a caret and a selection (the
// anchor and the caret, byte offsets that never split a UTF-8 character),
// typing that replaces the selection and stops at the field's byte limit,
// deleting, and caret moves by character, line end and line. A single-line
// field turns line ends it is given into spaces; a multi-line field keeps
// LF line ends.
//
// Pure; GUI thread only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class AM_TextField {
public:
    // New text, cut to maxBytes without splitting a character, all of it
    // selected (as selectAll).
    void reset(std::string_view text, bool multiLine, size_t maxBytes);

    const std::string& text() const { return text_; }
    bool multiLine() const { return multiLine_; }
    size_t maxBytes() const { return maxBytes_; }
    size_t caret() const { return caret_; }
    size_t anchor() const { return anchor_; }
    bool hasSelection() const { return caret_ != anchor_; }
    size_t selectionStart() const { return caret_ < anchor_ ? caret_ : anchor_; }
    size_t selectionEnd() const { return caret_ < anchor_ ? anchor_ : caret_; }

    // The whole text, with the caret at its start and the anchor at its end.
    void selectAll();
    // The caret to pos (moved back to a character's start); extend keeps
    // the anchor.
    void setCaret(size_t pos, bool extend);
    // Selects the word around pos.
    void selectWord(size_t pos);

    // Replaces the selection with text (CR LF and CR become LF; in a
    // single-line field every line end a space); as much as fits the limit
    // is taken, whole characters only. False when nothing of it fitted.
    bool insert(std::string_view text);
    // One character (a code point, written as UTF-8); control characters
    // other than LF are refused.
    bool insertCodePoint(uint32_t codePoint);
    // The selection, or the character before (after) the caret.
    void backspace();
    void deleteForward();

    void moveLeft(bool extend);
    void moveRight(bool extend);
    // To the start or end of the caret's line.
    void home(bool extend);
    void end(bool extend);
    // Up (-1) or down (+1) a line, keeping the column in characters; at the
    // first (last) line to the text's start (end).
    void moveLines(int lines, bool extend);

    // Lines: where the line holding pos starts and ends (before its LF).
    size_t lineStart(size_t pos) const;
    size_t lineEnd(size_t pos) const;
    // The start of the character before pos and after it.
    size_t previousBoundary(size_t pos) const;
    size_t nextBoundary(size_t pos) const;

private:
    std::string text_;
    bool multiLine_ = false;
    size_t maxBytes_ = 0;
    size_t caret_ = 0;
    size_t anchor_ = 0;
};
