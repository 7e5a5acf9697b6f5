// The window layer's side of the display: the scene of top-level windows
// that the display composes, the input it feeds back, and layered windows.
#include "PaintCycle.h"
#include "WindowData.h"

#include "display/Display.h"
#include "gdi/GdiObjects.h"
#include "user/Input.h"
#include "win32/Module.h"

#include <algorithm>
#include <mutex>

using namespace user::detail;

namespace {

// Topmost windows lie above all others; otherwise the z-order.
std::vector<std::shared_ptr<WindowData>> ShownTopLevel()
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    std::vector<std::shared_ptr<WindowData>> shown;
    for (HWND hwnd : manager.topLevel) {
        auto window = manager.Find(hwnd);
        if (window && (window->style & WS_VISIBLE))
            shown.push_back(window);
    }
    std::stable_partition(shown.begin(), shown.end(),
                          [](const auto& window) { return (window->exStyle & WS_EX_TOPMOST) != 0; });
    return shown;
}

std::vector<display::Layer> Scene()
{
    std::vector<display::Layer> layers;
    auto& manager = WindowManager::Get();
    for (const auto& window : ShownTopLevel()) {
        std::lock_guard lock(manager.mutex);
        display::Layer layer;
        layer.image = window->surface;
        layer.rect = window->rect;
        gdi::Region shape;
        if (window->region && gdi::GetRegion(window->region, shape))
            layer.shape = shape;
        if (window->exStyle & WS_EX_LAYERED) {
            if (!window->layeredShown)
                continue; // a layered window shows only once told how
            if (window->layeredImage) {
                layer.image = window->layeredImage;
                layer.perPixelAlpha = window->layeredPerPixel;
            }
            if (window->layeredFlags & LWA_ALPHA)
                layer.alpha = window->layeredAlpha;
            if (window->layeredFlags & LWA_COLORKEY)
                layer.colorKey = window->layeredKey;
        }
        layer.dropShadow = window->windowClass && (window->windowClass->style & CS_DROPSHADOW);
        layer.alpha = static_cast<BYTE>(layer.alpha * window->fadeAlpha / 255);
        layers.push_back(std::move(layer));
    }
    return layers;
}

display::InputSink Sink()
{
    display::InputSink sink;
    sink.mouseMove = [](POINT point) { user::input::MouseMove(point); };
    sink.mouseButton = [](POINT point, int button, bool down) { user::input::MouseButton(point, button, down); };
    sink.wheel = [](POINT point, int delta) { user::input::MouseWheel(point, delta); };
    sink.key = [](UINT key, bool down) { user::input::Key(key, down); };
    sink.character = [](char16_t c) { user::input::Character(c); };
    return sink;
}

// USER32.DLL, for the programs that look functions up by name.
const bool g_user32 = [] {
    win32::RegisterSystemModule("USER32.DLL", {{"AnimateWindow", reinterpret_cast<FARPROC>(&AnimateWindow)}}, true);
    return true;
}();

} // namespace

namespace user::detail {

void ScreenChanged()
{
    display::Changed();
}

void EnsureDisplay()
{
    static std::once_flag once;
    std::call_once(once, [] {
        display::SetSceneSource(Scene);
        display::SetInputSink(Sink());
        display::Current();
    });
}

} // namespace user::detail

BOOL SetLayeredWindowAttributes(HWND hwnd, COLORREF key, BYTE alpha, DWORD flags)
{
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto window = manager.Find(hwnd);
        if (!window || !(window->exStyle & WS_EX_LAYERED))
            return FALSE;
        window->layeredKey = key & 0xFFFFFF;
        window->layeredAlpha = alpha;
        window->layeredFlags = flags & (LWA_COLORKEY | LWA_ALPHA);
        window->layeredShown = true;
        window->layeredImage.reset();
    }
    ScreenChanged();
    return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND hwnd, COLORREF* key, BYTE* alpha, DWORD* flags)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto window = manager.Find(hwnd);
    if (!window || !(window->exStyle & WS_EX_LAYERED) || !window->layeredShown || window->layeredImage)
        return FALSE;
    if (key)
        *key = window->layeredKey;
    if (alpha)
        *alpha = window->layeredAlpha;
    if (flags)
        *flags = window->layeredFlags;
    return TRUE;
}

BOOL UpdateLayeredWindow(HWND hwnd, HDC, const POINT* position, const SIZE* size, HDC source,
                         const POINT* sourcePoint, COLORREF key, const BLENDFUNCTION* blend, DWORD flags)
{
    if (!(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED))
        return FALSE;
    if (position || size) {
        RECT rect;
        GetWindowRect(hwnd, &rect);
        int x = position ? position->x : rect.left;
        int y = position ? position->y : rect.top;
        int cx = size ? size->cx : rect.right - rect.left;
        int cy = size ? size->cy : rect.bottom - rect.top;
        SetWindowPos(hwnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    std::shared_ptr<gdi::Surface> image;
    if (source) {
        auto pixels = gdi::SurfaceOfDC(source);
        if (!pixels)
            return FALSE;
        POINT from = sourcePoint ? *sourcePoint : POINT{0, 0};
        RECT rect;
        GetWindowRect(hwnd, &rect);
        image = std::make_shared<gdi::Surface>(rect.right - rect.left, rect.bottom - rect.top);
        for (int y = 0; y < image->Height(); ++y)
            for (int x = 0; x < image->Width(); ++x) {
                int sx = from.x + x;
                int sy = from.y + y;
                image->Set(x, y, pixels->Contains(sx, sy) ? pixels->At(sx, sy) : 0);
            }
    }
    {
        auto& manager = WindowManager::Get();
        std::lock_guard lock(manager.mutex);
        auto window = manager.Find(hwnd);
        if (!window)
            return FALSE;
        if (image)
            window->layeredImage = image;
        window->layeredPerPixel = (flags & ULW_ALPHA) && blend && (blend->AlphaFormat & AC_SRC_ALPHA);
        window->layeredFlags = ((flags & ULW_ALPHA) && blend ? LWA_ALPHA : 0) | ((flags & ULW_COLORKEY) ? LWA_COLORKEY : 0);
        window->layeredAlpha = blend ? blend->SourceConstantAlpha : 255;
        window->layeredKey = key & 0xFFFFFF;
        window->layeredShown = true;
    }
    ScreenChanged();
    return TRUE;
}
