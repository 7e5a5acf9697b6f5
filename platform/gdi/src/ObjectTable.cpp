#include "Objects.h"

#include "gdi/GdiObjects.h"
#include "win32/RecursiveLock.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace gdi {

namespace {

struct Table {
    win32::RecursiveLock mutex;
    // Hashed: every drawing call looks its DC and objects up here, and a
    // tree of a few thousand objects took a dozen dependent loads for each.
    std::unordered_map<std::uintptr_t, std::shared_ptr<GdiObject>> objects;
    std::uintptr_t next = 0x10000;
};

// The objects a thread looked up lately: a paint asks for its DC, brushes
// and fonts over and over, and the table's lock is shared with every thread
// that draws. Weak, so that a deleted object does not live on in another
// thread's record; a record holds while its object is not marked removed,
// so that the DCs a paint opens and deletes leave the records of the
// others standing.
struct FoundObject {
    std::uintptr_t handle = 0;
    std::weak_ptr<GdiObject> object;
};
// Enough records that the DCs a paint opens, each under a new handle, pass
// over a long-lived font or brush's record only now and then.
thread_local std::array<FoundObject, 64> t_found;

FoundObject& RecordOf(std::uintptr_t value)
{
    return t_found[(value / 4) % t_found.size()];
}

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
    // The thread that makes an object is the one that uses it next.
    RecordOf(value) = {value, object};
    table.objects.emplace(value, std::move(object));
    return handle;
}

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle)
{
    Table& table = TheTable();
    const auto value = reinterpret_cast<std::uintptr_t>(handle);
    FoundObject& found = RecordOf(value);
    // An object taken out before this call began was marked first (release,
    // under the lock), so its record no longer matches.
    if (value != 0 && found.handle == value) {
        if (auto object = found.object.lock(); object && !object->removed.load(std::memory_order_acquire))
            return object;
    }
    std::lock_guard lock(table.mutex);
    auto it = table.objects.find(value);
    if (it == table.objects.end())
        return nullptr;
    found = {value, it->second};
    return it->second;
}

bool RemoveObject(HGDIOBJ handle)
{
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.objects.end())
        return false;
    it->second->removed.store(true, std::memory_order_release);
    table.objects.erase(it);
    return true;
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
