// The text readers on arbitrary input: the scanner with the formats the
// program uses, the decimal reader, the line reader and the escaping pair.
// None may read or write outside its buffers; escaping then unescaping gives
// back the text with line feeds and carriage returns as CR LF pairs; a number
// read is never NaN.
#include "foundation/AM_LineReader.h"
#include "foundation/AM_STD.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* t = text.c_str();

    int32_t d = 0;
    uint32_t u = 0;
    float f = 0;
    char c = 0;
    char a[8];
    char b[3];
    AM_STD::scanv(t, "%d:%s\"%s\" ", &d, a, uint32_t{sizeof a}, b, uint32_t{sizeof b});
    AM_STD::scanv(t, "%f %f %u %x%c%%", &f, &f, &u, &u, &c);
    AM_STD::scanv(t, "%s", b, uint32_t{1});
    float number = 0;
    AM_STD::AtoF(t, &number);
    if (std::isnan(number) || std::isnan(f))
        std::abort();

    AM_LineReader reader(t);
    char line[6];
    while (reader.readLine(line, sizeof line - 1) != 0) {
    }

    std::vector<char> buffer(text.size() * 2 + 1);
    std::memcpy(buffer.data(), t, text.size() + 1);
    AM_STD::escapeString(buffer.data(), static_cast<uint32_t>(buffer.size()));
    AM_STD::unescapeString(buffer.data());
    const std::string shortText = text.substr(0, std::strlen(t));
    // A CR LF (or LF CR) in the text escapes to a pair that reads back as one.
    std::string collapsed;
    for (size_t i = 0; i < shortText.size(); ++i) {
        const char ch = shortText[i];
        if ((ch == '\n' || ch == '\r') && i + 1 < shortText.size() &&
            (shortText[i + 1] == '\n' || shortText[i + 1] == '\r') && shortText[i + 1] != ch) {
            collapsed += "\r\n";
            ++i;
        } else if (ch == '\n' || ch == '\r') {
            collapsed += "\r\n";
        } else {
            collapsed += ch;
        }
    }
    if (std::string(buffer.data()) != collapsed)
        std::abort();

    std::vector<char> small(4);
    std::memcpy(small.data(), t, std::min<size_t>(text.size(), 3));
    small[std::min<size_t>(text.size(), 3)] = 0;
    AM_STD::escapeString(small.data(), static_cast<uint32_t>(small.size()));

    char shortened[10];
    AM_STD::shortenString(shortened, t, 9);
    AM_STD::getFileName(t);
    AM_STD::findString("ab", t);
    return 0;
}
