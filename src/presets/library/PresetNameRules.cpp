#include "presets/library/PresetNameRules.h"

#include "foundation/AM_STD.h"

#include <string>

namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7f;
// Bytes of a refused name shown in its trace line.
constexpr size_t kShownBytes = 80;

bool isControl(unsigned char c)
{
    return c < kFirstPrintable || c == kDelete;
}

// Null when the name is a valid component, else the reason.
const char* whyRefused(const char* name, size_t maxBytes)
{
    if (name == nullptr || name[0] == 0)
        return "the name is empty";
    const std::string text(name);
    if (text == "." || text == "..")
        return "the name names a folder itself";
    if (text.size() > maxBytes)
        return "the name is too long";
    for (const char c : text) {
        if (c == '/' || c == '\\')
            return "the name holds a path separator";
        if (isControl(static_cast<unsigned char>(c)))
            return "the name holds a control character";
    }
    return nullptr;
}

} // namespace

bool isPathComponent(const char* name, size_t maxBytes)
{
    return whyRefused(name, maxBytes) == nullptr;
}

bool isValidPathComponent(const char* name, size_t maxBytes, const char* purpose)
{
    const char* reason = whyRefused(name, maxBytes);
    if (reason == nullptr)
        return true;
    std::string shown(name ? name : "");
    if (shown.size() > kShownBytes)
        shown.resize(kShownBytes);
    for (char& c : shown)
        if (isControl(static_cast<unsigned char>(c)))
            c = '?';
    AM_STD::printv("Refused the %s name '%s': %s", purpose ? purpose : "file", shown.c_str(),
                   reason);
    return false;
}
