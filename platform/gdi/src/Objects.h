// The objects behind GDI handles and the process-wide table that maps
// handles to them.
#pragma once

#include "gdi/GdiTypes.h"
#include "gdi/Region.h"
#include "gdi/Surface.h"

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace gdi {

enum class ObjectKind { Bitmap, Brush, Pen, Font, Region, Dc, Icon };

struct GdiObject {
    explicit GdiObject(ObjectKind k) : kind(k) {}
    // A copy is a new object, not yet in the table.
    GdiObject(const GdiObject& other)
        : kind(other.kind), stock(other.stock), handle(other.handle), selections(other.selections)
    {
    }
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() = default;
    ObjectKind kind;
    bool stock = false;
    HGDIOBJ handle = nullptr;
    // DCs the object is selected into; such an object cannot be deleted.
    int selections = 0;
    // Set (release, under the table's lock) when the handle is taken out of
    // the table: a thread's record of an earlier lookup then no longer holds.
    std::atomic<bool> removed{false};
};

struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(ObjectKind::Bitmap) {}
    std::shared_ptr<Surface> surface;
    // Monochrome bitmaps hold only 0x000000 and 0xFFFFFF pixels.
    bool monochrome = false;
    bool dibSection = false;
};

struct BrushObject : GdiObject {
    BrushObject() : GdiObject(ObjectKind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    int sysColor = -1; // the system colour of a GetSysColorBrush brush
    bool dcBrush = false;
    std::shared_ptr<Surface> pattern;
    bool patternMonochrome = false;
};

struct PenObject : GdiObject {
    PenObject() : GdiObject(ObjectKind::Pen) {}
    int style = PS_SOLID;
    int width = 1;
    COLORREF color = 0;
    bool dcPen = false;
};

class RealizedFont;

struct FontObject : GdiObject {
    FontObject() : GdiObject(ObjectKind::Font) {}
    LOGFONTW logFont{};
    // The realised font of logFont (which a font object never changes),
    // looked up on the first use; read and set under FontLock().
    std::shared_ptr<RealizedFont> realized;
};

struct RegionObject : GdiObject {
    RegionObject() : GdiObject(ObjectKind::Region) {}
    Region region;
};

struct IconObject : GdiObject {
    IconObject() : GdiObject(ObjectKind::Icon) {}
    BOOL isIcon = TRUE;
    DWORD xHotspot = 0;
    DWORD yHotspot = 0;
    int width = 0;
    int height = 0;
    // The AND mask (white keeps the screen) and the colour image, both
    // width x height; a monochrome icon has no colour image and a mask of
    // twice the height (AND half over XOR half).
    std::shared_ptr<Surface> mask;
    std::shared_ptr<Surface> color;
};

// The attributes of a DC that SaveDC keeps.
struct DcState {
    std::shared_ptr<BitmapObject> bitmap;
    std::shared_ptr<BrushObject> brush;
    std::shared_ptr<PenObject> pen;
    std::shared_ptr<FontObject> font;
    COLORREF textColor = 0x000000;
    COLORREF bkColor = 0xFFFFFF;
    COLORREF dcBrushColor = 0xFFFFFF;
    COLORREF dcPenColor = 0x000000;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int stretchMode = BLACKONWHITE;
    int mapMode = MM_TEXT;
    UINT textAlign = TA_LEFT | TA_TOP;
    int charExtra = 0;
    POINT viewportOrg{0, 0};
    POINT windowOrg{0, 0};
    POINT brushOrg{0, 0};
    POINT position{0, 0};
    std::optional<Region> clip; // device coordinates
};

enum class DcKind { Memory, Surface };

struct DcObject : GdiObject {
    DcObject() : GdiObject(ObjectKind::Dc) {}
    DcKind dcKind = DcKind::Memory;
    std::shared_ptr<Surface> surface; // for surface DCs
    POINT origin{0, 0};
    std::optional<Region> visible; // device coordinates
    DcState state;
    std::vector<DcState> saved;
};

// Handles are never reused, so a stale handle stays invalid.
HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle);
bool RemoveObject(HGDIOBJ handle);
inline HGDIOBJ HandleOf(const GdiObject* object) { return object ? object->handle : nullptr; }

template <typename T>
std::shared_ptr<T> Lookup(HGDIOBJ handle, ObjectKind kind)
{
    auto object = LookupObject(handle);
    if (!object || object->kind != kind)
        return nullptr;
    return std::static_pointer_cast<T>(object);
}

inline std::shared_ptr<DcObject> LookupDc(HDC dc) { return Lookup<DcObject>(dc, ObjectKind::Dc); }
inline std::shared_ptr<BitmapObject> LookupBitmap(HBITMAP b) { return Lookup<BitmapObject>(b, ObjectKind::Bitmap); }
inline std::shared_ptr<BrushObject> LookupBrush(HBRUSH b) { return Lookup<BrushObject>(b, ObjectKind::Brush); }
inline std::shared_ptr<PenObject> LookupPen(HPEN p) { return Lookup<PenObject>(p, ObjectKind::Pen); }
inline std::shared_ptr<FontObject> LookupFont(HFONT f) { return Lookup<FontObject>(f, ObjectKind::Font); }
inline std::shared_ptr<RegionObject> LookupRegion(HRGN r) { return Lookup<RegionObject>(r, ObjectKind::Region); }
inline std::shared_ptr<IconObject> LookupIcon(HICON i) { return Lookup<IconObject>(i, ObjectKind::Icon); }

HBITMAP InsertBitmap(std::shared_ptr<Surface> surface, bool monochrome, bool dibSection);
std::shared_ptr<BitmapObject> DefaultBitmap();
std::shared_ptr<GdiObject> StockObject(int index);

} // namespace gdi
