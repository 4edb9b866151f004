#include "gui/views/AM_ScriptWriter.h"

#include "foundation/AM_STD.h"

namespace {

constexpr const char* kBannerEdge = "\n\n/********************************************************";
constexpr const char* kBannerBlank = "\n*                                                       *";
constexpr const char* kBannerClose = "\n********************************************************/";

const char* bannerTitle(AM_ScriptSection section)
{
    switch (section) {
    case AM_ScriptSection::kPreferences:
        return "\n*\t\t\t\t\t   Default/Pref Properties                           *";
    case AM_ScriptSection::kColours:
        return "\n*\t\t\t\t\t   Colours                           *";
    case AM_ScriptSection::kGraphics:
        return "\n*\t\t\t\t\t Graphics                           *";
    case AM_ScriptSection::kControls:
        return "\n*\t\t\t\t\t Controls                           *";
    case AM_ScriptSection::kProperties:
        return "\n*\t\t\t\t\tProperties                           *";
    }
    return "";
}

// Room for one formatted number of a value ("%.2f" of the largest float).
constexpr size_t kNumberBytes = 64;

} // namespace

void AM_ScriptWriter::banner(AM_ScriptSection section)
{
    out_ += kBannerEdge;
    out_ += kBannerBlank;
    out_ += bannerTitle(section);
    out_ += kBannerBlank;
    out_ += kBannerClose;
}

AM_ScriptWriter& AM_ScriptWriter::line(const char* lineStart, const char* keyword)
{
    out_ += lineStart;
    out_ += keyword;
    return *this;
}

AM_ScriptWriter& AM_ScriptWriter::text(const char* key, const char* value)
{
    out_ += ' ';
    out_ += key;
    out_ += "='";
    if (value != nullptr)
        out_ += value;
    out_ += '\'';
    return *this;
}

AM_ScriptWriter& AM_ScriptWriter::text(const char* key, const std::string& value)
{
    return text(key, value.c_str());
}

AM_ScriptWriter& AM_ScriptWriter::integer(const char* key, int32_t value)
{
    char number[kNumberBytes];
    AM_STD::sprintn(number, sizeof number, "%d", value);
    return text(key, number);
}

AM_ScriptWriter& AM_ScriptWriter::hex(const char* key, uint32_t value)
{
    char number[kNumberBytes];
    AM_STD::sprintn(number, sizeof number, "%x", value);
    return text(key, number);
}

AM_ScriptWriter& AM_ScriptWriter::floats(const char* key, const float* values, int count)
{
    std::string joined;
    for (int i = 0; i < count; ++i) {
        char number[AM_STD::kMaxNumberChars + 1];
        AM_STD::sprintn(number, sizeof number, "%.2f", double(values[i]));
        if (i > 0)
            joined += ' ';
        joined += number;
    }
    return text(key, joined);
}

AM_ScriptWriter& AM_ScriptWriter::property(const char* control, const char* name, int32_t id,
                                           const char* value)
{
    return line("\n", "PROPERTY")
        .text("control", control)
        .text("name", name)
        .integer("id", id)
        .text("value", value);
}

AM_ScriptWriter& AM_ScriptWriter::raw(const char* text)
{
    if (text != nullptr)
        out_ += text;
    return *this;
}
