// Composing the layers of the scene onto the screen: window shapes,
// colour keys, constant and per-pixel alpha.
#include "display/Display.h"

#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"
#include "gdi/PngFile.h"

#include <algorithm>
#include <mutex>

namespace display {

namespace {

std::mutex g_sceneMutex;
SceneSource g_scene;

gdi::Pixel Blend(gdi::Pixel source, gdi::Pixel dest, unsigned sourceWeight, unsigned destWeight)
{
    gdi::Pixel out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        unsigned s = (source >> shift) & 0xFF;
        unsigned d = (dest >> shift) & 0xFF;
        out |= std::min(255u, (s * sourceWeight + d * destWeight + 127) / 255) << shift;
    }
    return out;
}

constexpr int kShadowOffset = 4;  // pixels below and right of the window
constexpr unsigned kShadowDarkness = 96; // of 255, towards black

// The part of the screen the layer may cover: its rectangle (cut to its
// image, which may lag behind a resize), its shape, the screen.
gdi::Region AreaOf(const Layer& layer, const gdi::Surface& screen)
{
    const gdi::Surface& image = *layer.image;
    RECT box = {layer.rect.left, layer.rect.top, layer.rect.left + std::min<LONG>(layer.rect.right - layer.rect.left, image.Width()),
                layer.rect.top + std::min<LONG>(layer.rect.bottom - layer.rect.top, image.Height())};
    gdi::Region area(box);
    if (layer.shape) {
        gdi::Region shape = *layer.shape;
        shape.Offset(layer.rect.left, layer.rect.top);
        area = gdi::Region::Combine(area, shape, RGN_AND);
    }
    return area.Intersected({0, 0, screen.Width(), screen.Height()});
}

// Darkens what lies below and right of the layer's shape; the layer then
// covers the part of it under itself.
void ComposeShadow(const Layer& layer, const gdi::Region& area, gdi::Surface& screen)
{
    gdi::Region shadow = area;
    shadow.Offset(kShadowOffset, kShadowOffset);
    shadow = gdi::Region::Combine(shadow, area, RGN_DIFF).Intersected({0, 0, screen.Width(), screen.Height()});
    const unsigned darkness = kShadowDarkness * layer.alpha / 255;
    for (const RECT& r : shadow.Rects())
        for (LONG y = r.top; y < r.bottom; ++y) {
            gdi::Pixel* to = screen.Row(y);
            for (LONG x = r.left; x < r.right; ++x)
                to[x] = Blend(0, to[x], darkness, 255 - darkness);
        }
}

void ComposeLayer(const Layer& layer, gdi::Surface& screen)
{
    if (!layer.image || layer.alpha == 0)
        return;
    const gdi::Surface& image = *layer.image;
    const gdi::Region area = AreaOf(layer, screen);
    if (layer.dropShadow)
        ComposeShadow(layer, area, screen);
    gdi::Pixel key = layer.colorKey ? gdi::PixelFromColor(*layer.colorKey) : 0;
    for (const RECT& r : area.Rects()) {
        for (LONG y = r.top; y < r.bottom; ++y) {
            const gdi::Pixel* from = image.Row(y - layer.rect.top);
            gdi::Pixel* to = screen.Row(y);
            for (LONG x = r.left; x < r.right; ++x) {
                gdi::Pixel source = from[x - layer.rect.left];
                if (layer.colorKey && (source & 0xFFFFFF) == key)
                    continue;
                gdi::Pixel dest = to[x];
                if (layer.perPixelAlpha) {
                    // Premultiplied colour: weight the destination by what the source leaves.
                    unsigned a = (source >> 24) * layer.alpha / 255;
                    gdi::Pixel scaled = Blend(source, 0, layer.alpha, 0);
                    to[x] = Blend(scaled, dest, 255, 255 - a);
                } else if (layer.alpha < 255) {
                    to[x] = Blend(source, dest, layer.alpha, 255u - layer.alpha);
                } else {
                    to[x] = source & 0xFFFFFF;
                }
            }
        }
    }
}

} // namespace

void SetSceneSource(SceneSource source)
{
    std::lock_guard lock(g_sceneMutex);
    g_scene = std::move(source);
}

void Compose(const std::vector<Layer>& layers, gdi::Surface& screen)
{
    screen.Fill(gdi::PixelFromColor(GetSysColor(COLOR_DESKTOP)));
    for (auto it = layers.rbegin(); it != layers.rend(); ++it)
        ComposeLayer(*it, screen);
}

std::shared_ptr<gdi::Surface> ComposeScreen()
{
    SceneSource source;
    {
        std::lock_guard lock(g_sceneMutex);
        source = g_scene;
    }
    SIZE size = gdi::GetScreenSize();
    auto screen = std::make_shared<gdi::Surface>(size.cx, size.cy);
    Compose(source ? source() : std::vector<Layer>{}, *screen);
    return screen;
}

bool WriteScreenshot(const std::filesystem::path& path, std::string* error)
{
    return gdi::WritePng(*ComposeScreen(), path, error);
}

} // namespace display
