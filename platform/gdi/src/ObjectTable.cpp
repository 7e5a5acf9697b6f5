#include "Objects.h"

#include "gdi/GdiObjects.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace gdi {

namespace {

struct Table {
    std::mutex mutex;
    // Hashed: every drawing call looks its DC and objects up here, and a
    // tree of a few thousand objects took a dozen dependent loads for each.
    std::unordered_map<std::uintptr_t, std::shared_ptr<GdiObject>> objects;
    std::uintptr_t next = 0x10000;
};

Table& TheTable()
{
    static Table* table = new Table; // outlives every static object that holds handles
    return *table;
}

} // namespace

HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object)
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    std::uintptr_t value = table.next;
    table.next += 4;
    HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(value);
    object->handle = handle;
    table.objects.emplace(value, std::move(object));
    return handle;
}

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle)
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == table.objects.end() ? nullptr : it->second;
}

bool RemoveObject(HGDIOBJ handle)
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    return table.objects.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0;
}

ObjectCounts LiveObjectCounts()
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    ObjectCounts counts;
    for (const auto& [value, object] : table.objects) {
        if (object->stock)
            continue;
        switch (object->kind) {
        case ObjectKind::Bitmap:
            ++counts.bitmaps;
            break;
        case ObjectKind::Brush:
            ++counts.brushes;
            break;
        case ObjectKind::Pen:
            ++counts.pens;
            break;
        case ObjectKind::Font:
            ++counts.fonts;
            break;
        case ObjectKind::Region:
            ++counts.regions;
            break;
        case ObjectKind::Dc:
            ++counts.dcs;
            break;
        case ObjectKind::Icon:
            ++counts.icons;
            break;
        }
    }
    return counts;
}

HBITMAP InsertBitmap(std::shared_ptr<Surface> surface, bool monochrome, bool dibSection)
{
    auto bitmap = std::make_shared<BitmapObject>();
    bitmap->surface = std::move(surface);
    bitmap->monochrome = monochrome;
    bitmap->dibSection = dibSection;
    return static_cast<HBITMAP>(InsertObject(bitmap));
}

} // namespace gdi
