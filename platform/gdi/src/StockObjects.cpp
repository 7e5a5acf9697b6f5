// Stock objects and the system colours. Both are created on first use and
// live for the process; they are flagged stock, so DeleteObject leaves them
// and the live-object count does not see them.
#include "Objects.h"

#include "gdi/Gdi.h"
#include "gdi/GdiObjects.h"

#include <array>
#include <cstring>
#include <mutex>

namespace gdi {

namespace {

constexpr int kStockCount = 20;
constexpr int kSysColorCount = 31;

// The Windows classic scheme.
std::array<COLORREF, kSysColorCount> g_sysColors = {
    RGB(212, 208, 200), // COLOR_SCROLLBAR
    RGB(58, 110, 165),  // COLOR_BACKGROUND
    RGB(10, 36, 106),   // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(212, 208, 200), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(212, 208, 200), // COLOR_ACTIVEBORDER
    RGB(212, 208, 200), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(10, 36, 106),   // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(212, 208, 200), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),    // COLOR_3DDKSHADOW
    RGB(212, 208, 200), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
    RGB(181, 181, 181), // 25, unused
    RGB(0, 0, 128),     // COLOR_HOTLIGHT
    RGB(166, 202, 240), // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192), // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),   // COLOR_MENUHILIGHT
    RGB(212, 208, 200), // COLOR_MENUBAR
};

std::mutex g_mutex;
std::array<std::shared_ptr<GdiObject>, kStockCount> g_stock;
std::array<std::shared_ptr<BrushObject>, kSysColorCount> g_sysBrushes;
std::shared_ptr<BitmapObject> g_defaultBitmap;

std::shared_ptr<GdiObject> Brush(UINT style, COLORREF color)
{
    auto brush = std::make_shared<BrushObject>();
    brush->style = style;
    brush->color = color;
    return brush;
}

std::shared_ptr<GdiObject> Pen(int style, COLORREF color)
{
    auto pen = std::make_shared<PenObject>();
    pen->style = style;
    pen->color = color;
    return pen;
}

std::shared_ptr<GdiObject> Font(const char16_t* face, LONG height, LONG weight, BYTE pitch)
{
    auto font = std::make_shared<FontObject>();
    font->logFont.lfHeight = height;
    font->logFont.lfWeight = weight;
    font->logFont.lfPitchAndFamily = pitch;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i)
        font->logFont.lfFaceName[i] = face[i];
    return font;
}

std::shared_ptr<GdiObject> MakeStock(int index)
{
    switch (index) {
    case WHITE_BRUSH:
        return Brush(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH:
        return Brush(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH:
        return Brush(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH:
        return Brush(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH:
        return Brush(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH:
        return Brush(BS_NULL, 0);
    case WHITE_PEN:
        return Pen(PS_SOLID, RGB(255, 255, 255));
    case BLACK_PEN:
        return Pen(PS_SOLID, RGB(0, 0, 0));
    case NULL_PEN:
        return Pen(PS_NULL, 0);
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT:
        return Font(u"Courier New", 16, FW_NORMAL, FIXED_PITCH | FF_MODERN);
    case ANSI_VAR_FONT:
        return Font(u"MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
        return Font(u"System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS);
    case DEFAULT_GUI_FONT:
        return Font(u"MS Shell Dlg", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS);
    case DC_BRUSH: {
        auto brush = std::make_shared<BrushObject>();
        brush->dcBrush = true;
        return brush;
    }
    case DC_PEN: {
        auto pen = std::make_shared<PenObject>();
        pen->dcPen = true;
        return pen;
    }
    default:
        return nullptr;
    }
}

} // namespace

std::shared_ptr<GdiObject> StockObject(int index)
{
    if (index < 0 || index >= kStockCount)
        return nullptr;
    std::lock_guard lock(g_mutex);
    if (!g_stock[index]) {
        auto object = MakeStock(index);
        if (!object)
            return nullptr;
        object->stock = true;
        InsertObject(object);
        g_stock[index] = object;
    }
    return g_stock[index];
}

void KeepForProcess(HGDIOBJ handle)
{
    if (auto object = LookupObject(handle))
        object->stock = true;
}

std::shared_ptr<BitmapObject> DefaultBitmap()
{
    std::lock_guard lock(g_mutex);
    if (!g_defaultBitmap) {
        g_defaultBitmap = std::make_shared<BitmapObject>();
        g_defaultBitmap->surface = std::make_shared<Surface>(1, 1);
        g_defaultBitmap->surface->Fill(0xFFFFFF);
        g_defaultBitmap->monochrome = true;
        g_defaultBitmap->stock = true;
        InsertObject(g_defaultBitmap);
    }
    return g_defaultBitmap;
}

} // namespace gdi

HGDIOBJ GetStockObject(int index)
{
    return gdi::HandleOf(gdi::StockObject(index).get());
}

DWORD GetSysColor(int index)
{
    if (index < 0 || index >= gdi::kSysColorCount)
        return 0;
    std::lock_guard lock(gdi::g_mutex);
    return gdi::g_sysColors[index];
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index >= gdi::kSysColorCount)
        return nullptr;
    std::lock_guard lock(gdi::g_mutex);
    auto& brush = gdi::g_sysBrushes[index];
    if (!brush) {
        brush = std::make_shared<gdi::BrushObject>();
        brush->color = gdi::g_sysColors[index];
        brush->sysColor = index;
        brush->stock = true;
        gdi::InsertObject(brush);
    }
    return static_cast<HBRUSH>(brush->handle);
}

BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors)
{
    if (count < 0 || (count > 0 && (!indexes || !colors)))
        return FALSE;
    std::lock_guard lock(gdi::g_mutex);
    for (int i = 0; i < count; ++i) {
        int index = indexes[i];
        if (index < 0 || index >= gdi::kSysColorCount)
            continue;
        gdi::g_sysColors[index] = colors[i] & 0xFFFFFF;
        // System colour brushes follow their colour, as on Windows.
        if (gdi::g_sysBrushes[index])
            gdi::g_sysBrushes[index]->color = colors[i] & 0xFFFFFF;
    }
    return TRUE;
}
