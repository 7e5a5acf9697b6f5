#include "user/Resources.h"

#include "ResourceImages.h"

#include "win32/WideString.h"

#include <mutex>

namespace user {

namespace {

std::mutex g_mutex;

std::map<HINSTANCE, ResourceSet>& Modules()
{
    static auto* modules = new std::map<HINSTANCE, ResourceSet>;
    return *modules;
}

template <typename Map>
const typename Map::mapped_type* Lookup(HINSTANCE module, Map ResourceSet::*member, int id)
{
    std::lock_guard lock(g_mutex);
    auto it = Modules().find(module);
    if (it == Modules().end())
        return nullptr;
    auto found = (it->second.*member).find(id);
    return found == (it->second.*member).end() ? nullptr : &found->second;
}

} // namespace

void RegisterResources(HINSTANCE module, const ResourceSet& set)
{
    InstallResourceImageLoader();
    std::lock_guard lock(g_mutex);
    ResourceSet& target = Modules()[module];
    for (const auto& [id, v] : set.dialogs)
        target.dialogs[id] = v;
    for (const auto& [id, v] : set.menus)
        target.menus[id] = v;
    for (const auto& [id, v] : set.strings)
        target.strings[id] = v;
    for (const auto& [id, v] : set.icons)
        target.icons[id] = v;
    for (const auto& [id, v] : set.bitmaps)
        target.bitmaps[id] = v;
    for (const auto& [id, v] : set.versions)
        target.versions[id] = v;
}

const DialogTemplate* FindDialogTemplate(HINSTANCE module, int id)
{
    return Lookup(module, &ResourceSet::dialogs, id);
}

const MenuTemplate* FindMenuTemplate(HINSTANCE module, int id)
{
    return Lookup(module, &ResourceSet::menus, id);
}

const std::vector<BYTE>* FindIconResource(HINSTANCE module, int id)
{
    return Lookup(module, &ResourceSet::icons, id);
}

const std::vector<BYTE>* FindBitmapResource(HINSTANCE module, int id)
{
    return Lookup(module, &ResourceSet::bitmaps, id);
}

const VersionResource* FindVersionResource(HINSTANCE module, int id)
{
    return Lookup(module, &ResourceSet::versions, id);
}

} // namespace user

int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int maxChars)
{
    const std::u16string* text = user::Lookup(module, &user::ResourceSet::strings, static_cast<int>(id));
    if (!text || !buffer || maxChars <= 0) {
        if (buffer && maxChars > 0)
            buffer[0] = 0;
        return 0;
    }
    lstrcpynW(buffer, text->c_str(), maxChars);
    return lstrlenW(buffer);
}
