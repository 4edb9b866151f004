#include "platform/SystemFonts.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace platform {
namespace {

FcConfig* gConfig = nullptr;
bool gReleaseAtExit = false;

FcConfig* configuration()
{
    if (gConfig == nullptr) {
        gConfig = FcInitLoadConfigAndFonts();
        // Fontconfig keeps parts of a live configuration where no pointer of
        // ours reaches them; it is given back before the process ends.
        if (!gReleaseAtExit)
            gReleaseAtExit = std::atexit(resetSystemFonts) == 0;
    }
    return gConfig;
}

const char* baseName(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

// The name without a trailing ".ttf" or ".otf" (any case).
std::string withoutFontExtension(const char* name)
{
    std::string text = name;
    constexpr size_t kExtensionLength = 4;
    if (text.size() > kExtensionLength) {
        const char* extension = text.c_str() + text.size() - kExtensionLength;
        if (::strcasecmp(extension, ".ttf") == 0 || ::strcasecmp(extension, ".otf") == 0)
            text.resize(text.size() - kExtensionLength);
    }
    return text;
}

// The first installed font whose file is called name.
bool findByFileName(FcConfig* config, const char* name, std::string& path)
{
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = (pattern && objects) ? FcFontList(config, pattern, objects) : nullptr;
    bool found = false;
    for (int i = 0; fonts != nullptr && i < fonts->nfont && !found; ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch &&
            ::strcasecmp(baseName(reinterpret_cast<const char*>(file)), name) == 0) {
            path = reinterpret_cast<const char*>(file);
            found = true;
        }
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);
    return found;
}

bool hasFamily(FcPattern* font, const char* family)
{
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        if (::strcasecmp(reinterpret_cast<const char*>(value), family) == 0)
            return true;
    return false;
}

// The best face of an installed family; fontconfig's substitutes for a
// family that is not installed do not count.
bool findByFamily(FcConfig* config, const std::string& family, std::string& path)
{
    FcPattern* pattern = FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, family.c_str(), nullptr);
    if (pattern == nullptr)
        return false;
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    bool found = false;
    FcChar8* file = nullptr;
    if (match != nullptr && hasFamily(match, family.c_str()) &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        path = reinterpret_cast<const char*>(file);
        found = true;
    }
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return found;
}

} // namespace

bool findSystemFontFile(const char* name, std::string& path)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    FcConfig* config = configuration();
    if (config == nullptr)
        return false;
    if (findByFileName(config, name, path))
        return true;
    const std::string family = withoutFontExtension(name);
    return !family.empty() && findByFamily(config, family, path);
}

void resetSystemFonts()
{
    if (gConfig != nullptr) {
        FcConfigDestroy(gConfig);
        gConfig = nullptr;
    }
}

} // namespace platform
