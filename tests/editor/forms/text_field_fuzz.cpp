// Any sequence of typing, pasting, deleting and caret moves leaves an entry
// field's text well-formed UTF-8 within its byte limit, a single-line field
// without line ends, and the caret and anchor on character starts.
#include "editor/forms/AM_TextField.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool wellFormed(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

bool onStart(const std::string& s, size_t pos)
{
    return pos <= s.size() &&
           (pos == s.size() || (static_cast<unsigned char>(s[pos]) & 0xC0) != 0x80);
}

// Valid UTF-8 text made of code points read from the input.
std::string piece(const uint8_t*& data, const uint8_t* end, size_t count)
{
    std::string out;
    AM_TextField encoder;
    encoder.reset("", true, 64);
    for (size_t i = 0; i < count && end - data >= 2; ++i, data += 2) {
        uint32_t cp = static_cast<uint32_t>(data[0]) << 8 | data[1];
        if (cp < 0x20)
            cp = cp == 1 ? '\r' : '\n';
        encoder.insertCodePoint(cp);
    }
    return encoder.text();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t* end = data + size;
    const bool multiLine = (data[0] & 1) != 0;
    const size_t limit = data[1] % 48;
    data += 2;
    AM_TextField field;
    field.reset(piece(data, end, 8), multiLine, limit);
    while (data < end) {
        const uint8_t op = *data++;
        const bool extend = (op & 0x80) != 0;
        switch (op % 13) {
        case 0:
            field.insert(piece(data, end, 1 + op / 13 % 6));
            break;
        case 1:
            field.insertCodePoint(data < end ? static_cast<uint32_t>(*data++) * 37u : 'x');
            break;
        case 2:
            field.backspace();
            break;
        case 3:
            field.deleteForward();
            break;
        case 4:
            field.moveLeft(extend);
            break;
        case 5:
            field.moveRight(extend);
            break;
        case 6:
            field.home(extend);
            break;
        case 7:
            field.end(extend);
            break;
        case 8:
            field.moveLines((op & 0x40) != 0 ? -1 : 1, extend);
            break;
        case 9:
            field.setCaret(data < end ? *data++ : 0, extend);
            break;
        case 10:
            field.selectWord(data < end ? *data++ : 0);
            break;
        case 11:
            field.selectAll();
            break;
        default:
            field.insert("\xc3\xa9\n");
            break;
        }
        const std::string& t = field.text();
        if (t.size() > limit || !wellFormed(t) || !onStart(t, field.caret()) ||
            !onStart(t, field.anchor()) || (!multiLine && t.find('\n') != std::string::npos))
            std::abort();
    }
    return 0;
}
