// Where windows end up. The window layer describes what the screen holds as
// a scene of layers (one per visible top-level window, top of the z-order
// first); a display composes the scene onto a screen surface and shows it.
// Two displays: headless (the default without DISPLAY, and with
// MARLWICK_DISPLAY=headless, as every test runs), which only composes on
// demand for screenshots, and X11, which shows the composed screen in a
// window of the desktop and turns the desktop's mouse and keys into input.
//
// The display knows nothing of windows: it asks the scene source for the
// layers and gives input to the input sink, both set by the window layer.
#pragma once

#include "gdi/GdiTypes.h"
#include "gdi/Region.h"
#include "gdi/Surface.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace display {

struct Layer {
    std::shared_ptr<const gdi::Surface> image; // the window's pixels, top-left at rect's corner
    RECT rect = {};                            // screen coordinates
    std::optional<gdi::Region> shape;          // window coordinates; none: the whole rectangle
    BYTE alpha = 255;                          // constant opacity
    std::optional<COLORREF> colorKey;          // pixels of this colour are left out
    bool perPixelAlpha = false;                // the image's fourth byte is a premultiplied alpha
    bool dropShadow = false;                   // a shadow below and right of its shape (CS_DROPSHADOW)
};

// The layers on screen now, top of the z-order first.
using SceneSource = std::function<std::vector<Layer>()>;
void SetSceneSource(SceneSource source);

// Where the display's input goes: screen points, buttons 0 left, 1 right,
// 2 middle; virtual keys; typed characters.
struct InputSink {
    std::function<void(POINT point)> mouseMove;
    std::function<void(POINT point, int button, bool down)> mouseButton;
    // The wheel turned by delta (120 a notch, positive away from the user).
    std::function<void(POINT point, int delta)> wheel;
    std::function<void(UINT virtualKey, bool down)> key;
    std::function<void(char16_t character)> character;
};
void SetInputSink(InputSink sink);
InputSink CurrentInputSink();

class Display {
public:
    virtual ~Display() = default;
    virtual const char* Name() const = 0;
    // Something on screen has changed; the display shows it soon.
    virtual void Changed() = 0;
};

// The display of this process, chosen on first use from the environment.
Display& Current();
// Tells the current display, if one has been chosen, that the screen changed.
void Changed();

// The desktop colour and every layer of the scene, composed now onto a
// surface of the screen's size (gdi::GetScreenSize).
std::shared_ptr<gdi::Surface> ComposeScreen();
// Composes layers (top first) onto a surface of the given size.
void Compose(const std::vector<Layer>& layers, gdi::Surface& screen);

// The composed screen as a PNG file. False with a message on failure.
bool WriteScreenshot(const std::filesystem::path& path, std::string* error = nullptr);

} // namespace display
