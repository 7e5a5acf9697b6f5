// The resources of a program: dialog templates, menus, strings, icons and
// bitmaps, version blocks, read from resource scripts (a subset of the .rc language) that
// are built into the program. Every module registers its scripts under its
// instance handle; the loaders find them by id.
#pragma once

#include "win32/Types.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A resource number in the place of a resource name, as LoadImageW takes it.
#define MAKEINTRESOURCEW(id) (reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(static_cast<WORD>(id))))
#define IS_INTRESOURCE(name) ((reinterpret_cast<UINT_PTR>(name) >> 16) == 0)

namespace user {

// The number of a resource name made with MAKEINTRESOURCEW.
inline int ResourceNumber(LPCWSTR name)
{
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(name) & 0xFFFF);
}

struct DialogControl {
    int id = 0;
    std::u16string className;
    std::u16string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::u16string caption;
    int menuId = 0;
    int fontSize = 8;
    std::u16string fontFace = u"MS Shell Dlg";
    short x = 0, y = 0, cx = 0, cy = 0;
    std::vector<DialogControl> controls;
};

struct MenuItemTemplate {
    std::u16string text;
    UINT id = 0;
    bool separator = false;
    std::vector<MenuItemTemplate> popup; // a popup when not empty, or when isPopup
    bool isPopup = false;
};

struct MenuTemplate {
    int id = 0;
    std::vector<MenuItemTemplate> items;
};

// A version block: its fixed numbers, its string tables by language and code
// page ("040904B0"), each a list of name and value, and the translations
// (language, code page) it lists.
struct VersionResource {
    WORD fileVersion[4] = {};
    WORD productVersion[4] = {};
    DWORD fileFlagsMask = 0;
    DWORD fileFlags = 0;
    DWORD fileOS = 0;
    DWORD fileType = 0;
    DWORD fileSubtype = 0;
    std::map<std::u16string, std::vector<std::pair<std::u16string, std::u16string>>> stringTables;
    std::vector<std::pair<WORD, WORD>> translations;
};

struct ResourceSet {
    std::map<int, DialogTemplate> dialogs;
    std::map<int, MenuTemplate> menus;
    std::map<int, std::u16string> strings;
    std::map<int, std::vector<BYTE>> icons;
    std::map<int, std::vector<BYTE>> bitmaps;
    std::map<int, VersionResource> versions;
};

// Reads the bytes of a file that a script names (ICON, BITMAP); null when missing.
using ResourceFileReader = std::function<std::optional<std::vector<BYTE>>(const std::string& name)>;

struct ScriptError {
    int line = 0;
    std::string message;
};

// Parses a resource script into set (adding to what it holds). False with
// the line and the reason on the first error.
bool ParseResourceScript(const std::string& text, const ResourceFileReader& readFile, ResourceSet& set,
                         ScriptError* error);

// The value of a style or id symbol of the scripts (WS_CHILD, BS_PUSHBUTTON, IDOK, ...).
std::optional<long long> ResourceSymbol(const std::string& name);

// Registers a module's resources; a second registration adds to the first.
// From then on LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON or
// IMAGE_BITMAP, ...) loads its icons and bitmaps.
void RegisterResources(HINSTANCE module, const ResourceSet& set);
const DialogTemplate* FindDialogTemplate(HINSTANCE module, int id);
const MenuTemplate* FindMenuTemplate(HINSTANCE module, int id);
const std::vector<BYTE>* FindIconResource(HINSTANCE module, int id);
const std::vector<BYTE>* FindBitmapResource(HINSTANCE module, int id);
const VersionResource* FindVersionResource(HINSTANCE module, int id);

} // namespace user

// The string of the module's string table, cut to the buffer; 0 when absent.
int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int maxChars);
