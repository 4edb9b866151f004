#include "gui/graphics/text/AM_FontSettings.h"

#include "platform/Paths.h"

namespace AM_FontSettings {
namespace {

struct ResolvedFont {
    std::string path;
    bool resolved = false;
};

struct Settings {
    float size = 0;
    std::string folder;
    ResolvedFont measuring;
    ResolvedFont drawing;
};

Settings& settings()
{
    static Settings shared;
    return shared;
}

ResolvedFont& fontFor(FontUse use)
{
    return use == FontUse::measuring ? settings().measuring : settings().drawing;
}

} // namespace

void setSize(float value)
{
    settings().size = value;
}

float size()
{
    return settings().size;
}

void setFolder(const char* path)
{
    std::string& folder = settings().folder;
    folder = path != nullptr ? path : "";
    if (!folder.empty() && folder.back() != platform::kPathSeparator)
        folder += platform::kPathSeparator;
}

const std::string& folder()
{
    return settings().folder;
}

const std::string& fontPath(FontUse use)
{
    return fontFor(use).path;
}

bool isResolved(FontUse use)
{
    return fontFor(use).resolved;
}

void resolve(FontUse use, std::string path)
{
    ResolvedFont& font = fontFor(use);
    if (font.resolved)
        return;
    font.path = std::move(path);
    font.resolved = true;
}

void reset()
{
    settings() = Settings{};
}

} // namespace AM_FontSettings
