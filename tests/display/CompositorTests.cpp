// Composing layers onto the screen: z-order, shapes, colour keys and alpha.
#include "display/Display.h"

#include "gdi/Gdi.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<gdi::Surface> Solid(int width, int height, gdi::Pixel pixel)
{
    auto surface = std::make_shared<gdi::Surface>(width, height);
    surface->Fill(pixel);
    return surface;
}

display::Layer LayerOf(std::shared_ptr<gdi::Surface> image, int x, int y)
{
    display::Layer layer;
    layer.rect = {x, y, x + image->Width(), y + image->Height()};
    layer.image = std::move(image);
    return layer;
}

gdi::Pixel At(const gdi::Surface& screen, int x, int y)
{
    return screen.At(x, y) & 0xFFFFFF;
}

constexpr gdi::Pixel kRed = 0xFF0000;
constexpr gdi::Pixel kBlue = 0x0000FF;

TEST(Compositor, TheFirstLayerLiesOnTopAndTheDesktopFillsTheRest)
{
    gdi::Surface screen(100, 80);
    display::Compose({LayerOf(Solid(40, 40, kRed), 10, 10), LayerOf(Solid(40, 40, kBlue), 30, 30)}, screen);
    EXPECT_EQ(At(screen, 35, 35), kRed);
    EXPECT_EQ(At(screen, 60, 60), kBlue);
    EXPECT_EQ(At(screen, 95, 5), gdi::PixelFromColor(GetSysColor(COLOR_DESKTOP)));
}

TEST(Compositor, AShapeLeavesOutWhatLiesOutsideIt)
{
    gdi::Surface screen(100, 80);
    auto layer = LayerOf(Solid(40, 40, kRed), 10, 10);
    layer.shape = gdi::Region(RECT{0, 0, 10, 40}); // window coordinates: the left quarter
    display::Compose({layer, LayerOf(Solid(100, 80, kBlue), 0, 0)}, screen);
    EXPECT_EQ(At(screen, 15, 20), kRed);
    EXPECT_EQ(At(screen, 25, 20), kBlue);
}

TEST(Compositor, AColourKeyCutsOutExactlyThatColour)
{
    gdi::Surface screen(20, 20);
    auto image = Solid(20, 20, 0xFF00F0); // RGB(255, 0, 240)
    image->Set(5, 5, 0xFF00F1);           // one off in blue: stays
    auto layer = LayerOf(image, 0, 0);
    layer.colorKey = RGB(255, 0, 240);
    display::Compose({layer, LayerOf(Solid(20, 20, kBlue), 0, 0)}, screen);
    EXPECT_EQ(At(screen, 1, 1), kBlue);
    EXPECT_EQ(At(screen, 5, 5), 0xFF00F1u);
}

TEST(Compositor, ConstantAndPerPixelAlphaBlend)
{
    gdi::Surface screen(20, 10);
    auto half = LayerOf(Solid(10, 10, 0xFFFFFF), 0, 0);
    half.alpha = 128;
    // Premultiplied: alpha 0x80 over red 0x80 is a half-covering full red.
    auto premultiplied = LayerOf(Solid(10, 10, 0x80800000), 10, 0);
    premultiplied.perPixelAlpha = true;
    display::Compose({half, premultiplied, LayerOf(Solid(20, 10, 0x000000), 0, 0)}, screen);
    EXPECT_EQ(At(screen, 5, 5), 0x808080u);
    EXPECT_EQ(At(screen, 15, 5), 0x800000u);
}

TEST(Compositor, ALayerWhoseImageLagsBehindItsRectangleStaysInsideTheImage)
{
    gdi::Surface screen(50, 50);
    auto layer = LayerOf(Solid(10, 10, kRed), 0, 0);
    layer.rect = {0, 0, 40, 40}; // resized, not yet repainted
    display::Compose({layer}, screen);
    EXPECT_EQ(At(screen, 5, 5), kRed);
    EXPECT_EQ(At(screen, 20, 20), gdi::PixelFromColor(GetSysColor(COLOR_DESKTOP)));
}

} // namespace
