#include "gui/graphics/text/AM_TextEngine.h"

#include "foundation/AM_STD.h"
#include "gui/graphics/text/AM_FontSettings.h"
#include "platform/SystemFonts.h"
#include "platform/Trace.h"

#include <agg_conv_curve.h>
#include <agg_font_cache_manager.h>
#include <agg_font_freetype.h>
#include <agg_gamma_functions.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_scanline_p.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using FontEngine = agg::font_engine_freetype_int32;
using FontCache = agg::font_cache_manager<FontEngine>;
using PixelFormat = agg::pixfmt_bgra32;
using RendererBase = agg::renderer_base<PixelFormat>;

constexpr unsigned kMaxFaces = 32;
constexpr char kSystemFontMark = '#';
constexpr uint32_t kReplacementCharacter = 0xfffd;
constexpr uint32_t kLargestCachedCode = 0xffff;

agg::glyph_rendering renderingOf(uint32_t glyphMode)
{
    switch (glyphMode) {
    case kGlyphNativeGrey:
        return agg::glyph_ren_native_gray8;
    case kGlyphOutline:
        return agg::glyph_ren_outline;
    case kGlyphMono:
        return agg::glyph_ren_agg_mono;
    case kGlyphGrey:
        return agg::glyph_ren_agg_gray8;
    default:
        return agg::glyph_ren_native_mono;
    }
}

// A usable glyph size in pixels, or 0 when there is nothing to draw.
double glyphPixels(double size)
{
    if (!(size > 0))
        return 0;
    return size < kMaxGlyphPixels ? size : kMaxGlyphPixels;
}

int continuationBytes(uint8_t lead, uint32_t& value)
{
    if (lead >= 0xc2 && lead <= 0xdf) {
        value = lead & 0x1f;
        return 1;
    }
    if (lead >= 0xe0 && lead <= 0xef) {
        value = lead & 0x0f;
        return 2;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        value = lead & 0x07;
        return 3;
    }
    return 0;
}

} // namespace

struct AM_TextEngine::Impl {
    FontEngine engine{kMaxFaces};
    std::unique_ptr<FontCache> cache = std::make_unique<FontCache>(engine, kMaxFaces);
    // The font signatures (file, size, rendering, hinting, gamma) the cache
    // holds glyphs for.
    std::vector<std::string> signatures;
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_p8 scanline;

    // What the engine was last set to. Every setter of the engine formats
    // the font's signature afresh (and a gamma builds a table of powers), so
    // a call finding the engine as it left it sets nothing: the face, sizes,
    // signature and glyph cache stay exactly those of the same settings.
    struct Setting {
        std::string path;
        agg::glyph_rendering rendering = agg::glyph_ren_native_mono;
        bool hinting = false;
        double size = 0;
        // The engine's gamma when the signature was formed (it takes part).
        bool gammaSet = false;
        float gamma = 0;
    };
    bool settingValid = false;
    Setting setting;
    // The gamma last given to the engine, if any.
    bool engineGammaSet = false;
    float engineGamma = 0;

    // Sets the engine to the font at a size: flipped, loaded, hinting,
    // height and width in that order, as every measure and draw does. False
    // when the font does not load.
    bool useFont(const std::string& path, agg::glyph_rendering rendering, bool hinting,
                 double size)
    {
        if (settingValid && setting.path == path && setting.rendering == rendering &&
            setting.hinting == hinting && setting.size == size &&
            setting.gammaSet == engineGammaSet &&
            (!engineGammaSet || setting.gamma == engineGamma))
            return true;
        settingValid = false;
        engine.flip_y(true);
        if (!engine.load_font(path.c_str(), 0, rendering))
            return false;
        engine.hinting(hinting);
        engine.height(size);
        engine.width(size);
        setting = {path, rendering, hinting, size, engineGammaSet, engineGamma};
        settingValid = true;
        return true;
    }

    void useGamma(float gamma)
    {
        if (engineGammaSet && engineGamma == gamma)
            return;
        engine.gamma(agg::gamma_power(gamma));
        engineGammaSet = true;
        engineGamma = gamma;
    }

    // Makes room in the glyph cache for the engine's current font. The
    // cache keeps a fixed number of fonts and its own way of dropping the
    // oldest overlaps memory; a full cache is started afresh instead.
    FontCache& cacheForCurrentFont()
    {
        const char* signature = engine.font_signature();
        if (signature != nullptr &&
            std::find(signatures.begin(), signatures.end(), signature) == signatures.end()) {
            if (signatures.size() >= kMaxFaces) {
                cache = std::make_unique<FontCache>(engine, kMaxFaces);
                signatures.clear();
            }
            signatures.emplace_back(signature);
        }
        return *cache;
    }

    // The font file for a use, chosen on the first call of the process: a
    // system font for a name beginning with '#' when it is installed and
    // loads, otherwise the default face of the font folder.
    const std::string& fontPath(AM_FontSettings::FontUse use, const AM_TextStyle& style)
    {
        if (!AM_FontSettings::isResolved(use)) {
            // A system font tried here leaves the engine on another face.
            settingValid = false;
            const char* name = style.fontFileName != nullptr ? style.fontFileName : "";
            std::string systemPath;
            if (name[0] == kSystemFontMark && platform::findSystemFontFile(name + 1, systemPath) &&
                engine.load_font(systemPath.c_str(), 0, renderingOf(style.glyphMode)))
                AM_FontSettings::resolve(use, systemPath);
            else
                AM_FontSettings::resolve(use, AM_FontSettings::folder() +
                                                  AM_FontSettings::kDefaultFontFile);
            if (use == AM_FontSettings::FontUse::drawing)
                AM_STD::printv("Fontpath: %s", AM_FontSettings::fontPath(use).c_str());
        }
        return AM_FontSettings::fontPath(use);
    }
};

AM_TextEngine::AM_TextEngine() : impl_(std::make_unique<Impl>()) {}

AM_TextEngine::~AM_TextEngine() = default;

uint32_t AM_TextEngine::nextCodePoint(const char*& text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    const uint8_t lead = bytes[0];
    if (lead == 0)
        return 0;
    uint32_t value = 0;
    const int count = continuationBytes(lead, value);
    bool wellFormed = count > 0;
    for (int i = 1; wellFormed && i <= count; ++i) {
        if ((bytes[i] & 0xc0) != 0x80)
            wellFormed = false;
        else
            value = (value << 6) | (bytes[i] & 0x3f);
    }
    // Overlong forms, surrogates and values beyond Unicode are no characters.
    if (wellFormed && ((count == 2 && value < 0x800) || (value >= 0xd800 && value <= 0xdfff) ||
                       (count == 3 && (value < 0x10000 || value > 0x10ffff))))
        wellFormed = false;
    if (!wellFormed) {
        ++text;
        return lead;
    }
    text += count + 1;
    return value > kLargestCachedCode ? kReplacementCharacter : value;
}

float AM_TextEngine::textWidth(const char* text, const AM_TextStyle& style)
{
    Impl& d = *impl_;
    const double size = glyphPixels(AM_FontSettings::size());
    if (text == nullptr || size == 0)
        return 0;
    const std::string& path = d.fontPath(AM_FontSettings::FontUse::measuring, style);
    if (!d.useFont(path, renderingOf(style.glyphMode), style.hinting, size))
        return 0;

    FontCache& cache = d.cacheForCurrentFont();
    double x = 0;
    double y = 0;
    cache.reset_last_glyph();
    while (const uint32_t code = nextCodePoint(text)) {
        const agg::glyph_cache* glyph = cache.glyph(code);
        if (glyph == nullptr)
            continue;
        if (cache.perv_glyph() != nullptr)
            cache.add_kerning(&x, &y);
        x += glyph->advance_x;
    }
    return float(x);
}

void AM_TextEngine::drawLine(agg::rendering_buffer& buffer, const agg::rect_i& clip,
                             const agg::rgba8& colour, const char* text, double penX, double penY,
                             double pixelSize, const AM_TextStyle& style)
{
    Impl& d = *impl_;
    const double size = glyphPixels(pixelSize);
    if (text == nullptr || size == 0 || buffer.buf() == nullptr)
        return;
    const std::string& path = d.fontPath(AM_FontSettings::FontUse::drawing, style);
    if (!d.useFont(path, renderingOf(style.glyphMode), style.hinting, size)) {
        platform::standardOutput("No load font, arrrgh!\n");
        return;
    }
    d.useGamma(style.gamma);
    // The outline rasterizer is left without gamma after every line.
    if (style.glyphMode == kGlyphOutline)
        d.rasterizer.gamma(agg::gamma_power(style.gamma));

    PixelFormat pixels(buffer);
    RendererBase base(pixels);
    base.clip_box(clip.x1, clip.y1, clip.x2, clip.y2);
    agg::renderer_scanline_aa_solid<RendererBase> solid(base);
    agg::renderer_scanline_bin_solid<RendererBase> binary(base);
    solid.color(colour);
    binary.color(colour);

    FontCache& cache = d.cacheForCurrentFont();
    agg::conv_curve<FontCache::path_adaptor_type> curves(cache.path_adaptor());
    double x = penX;
    double y = penY;
    cache.reset_last_glyph();
    while (const uint32_t code = nextCodePoint(text)) {
        const agg::glyph_cache* glyph = cache.glyph(code);
        if (glyph == nullptr) {
            platform::standardOutput("no glyph...\n");
            continue;
        }
        if (style.kerning && cache.perv_glyph() != nullptr)
            cache.add_kerning(&x, &y);
        // A glyph without ink (a space) has an empty box and nothing to render.
        const bool inked = glyph->data_size > 0 && glyph->bounds.x1 <= glyph->bounds.x2 &&
                           glyph->bounds.y1 <= glyph->bounds.y2;
        // Only glyphs that meet the clip are handed to the scanline code: it
        // keeps coordinates in int, and a pen far outside (a label placed
        // near the ends of the int range) would overflow them. A pen that is
        // not a number meets nothing.
        const bool meets =
            x + glyph->bounds.x2 >= clip.x1 - 1 && x + glyph->bounds.x1 <= clip.x2 + 1 &&
            y + glyph->bounds.y2 >= clip.y1 - 1 && y + glyph->bounds.y1 <= clip.y2 + 1;
        if (inked && meets)
            cache.init_embedded_adaptors(glyph, x, y);
        switch (inked && meets ? glyph->data_type : agg::glyph_data_invalid) {
        case agg::glyph_data_mono:
            agg::render_scanlines(cache.mono_adaptor(), cache.mono_scanline(), binary);
            break;
        case agg::glyph_data_gray8:
            agg::render_scanlines(cache.gray8_adaptor(), cache.gray8_scanline(), solid);
            break;
        case agg::glyph_data_outline:
            d.rasterizer.reset();
            d.rasterizer.add_path(curves);
            agg::render_scanlines(d.rasterizer, d.scanline, solid);
            break;
        default:
            break;
        }
        x += glyph->advance_x;
        y += glyph->advance_y;
    }
    if (style.glyphMode == kGlyphOutline)
        d.rasterizer.gamma(agg::gamma_none());
}

void AM_TextEngine::penStart(float x, float y, float w, float h, float fontSize, float textWidth,
                             int hAlign, bool vCentre, double& penX, double& penY)
{
    const float by = vCentre ? y + (h + fontSize) * 0.5f : y + fontSize;
    const float whole = std::trunc(textWidth);
    float bx = x;
    if (hAlign == kAlignCentre)
        bx = x + (w - whole) * 0.5f;
    else if (hAlign == kAlignRight)
        bx = x + w - whole;
    penX = bx;
    penY = by;
}
