#include "WindowData.h"

#include "win32/WideString.h"

namespace user::detail {

namespace {

std::u16string ClassKey(LPCWSTR name)
{
    std::u16string key = name ? name : u"";
    for (auto& c : key)
        c = CharUpperChar(c);
    return key;
}

} // namespace

std::shared_ptr<ClassData> FindClass(LPCWSTR name)
{
    EnsureSystemClasses();
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto it = manager.classes.find(ClassKey(name));
    return it == manager.classes.end() ? nullptr : it->second;
}

} // namespace user::detail

using namespace user::detail;

ATOM RegisterClassExW(const WNDCLASSEXW* wc)
{
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXW) || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto data = std::make_shared<ClassData>();
    data->name = wc->lpszClassName;
    data->style = wc->style;
    data->proc = wc->lpfnWndProc;
    data->windowExtraBytes = wc->cbWndExtra;
    data->instance = wc->hInstance;
    data->icon = wc->hIcon;
    data->cursor = wc->hCursor;
    data->background = wc->hbrBackground;
    data->smallIcon = wc->hIconSm;
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto [it, inserted] = manager.classes.emplace(ClassKey(wc->lpszClassName), data);
    if (!inserted) {
        SetLastError(1410); // ERROR_CLASS_ALREADY_EXISTS
        return 0;
    }
    return static_cast<ATOM>(0xC000 + manager.classes.size());
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    auto& manager = WindowManager::Get();
    std::lock_guard lock(manager.mutex);
    auto key = ClassKey(className);
    auto it = manager.classes.find(key);
    if (it == manager.classes.end()) {
        SetLastError(1411); // ERROR_CLASS_DOES_NOT_EXIST
        return FALSE;
    }
    for (const auto& [handle, window] : manager.windows) {
        if (window->windowClass == it->second) {
            SetLastError(1412); // ERROR_CLASS_HAS_WINDOWS
            return FALSE;
        }
    }
    manager.classes.erase(it);
    return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, LPCWSTR className, WNDCLASSEXW* wc)
{
    auto data = FindClass(className);
    if (!data || !wc)
        return FALSE;
    *wc = {sizeof(WNDCLASSEXW), data->style, data->proc, 0, data->windowExtraBytes, data->instance, data->icon,
           data->cursor, data->background, nullptr, className, data->smallIcon};
    return TRUE;
}

int GetClassNameW(HWND hwnd, LPWSTR name, int maxChars)
{
    auto window = WindowManager::Get().Find(hwnd);
    if (!window || maxChars <= 0)
        return 0;
    lstrcpynW(name, window->windowClass->name.c_str(), maxChars);
    return lstrlenW(name);
}
