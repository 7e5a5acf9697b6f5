// What an in-process server writes into the class registry when it is
// registered, and takes out again when it is unregistered:
//   HKCR\<ProgID>                         = description
//   HKCR\<ProgID>\CLSID                   = "{...}"
//   HKCR\CLSID\{...}                      = description
//   HKCR\CLSID\{...}\ProgID               = ProgID
//   HKCR\CLSID\{...}\InprocServer32       = Windows path of the library
//   HKCR\CLSID\{...}\InprocServer32 ThreadingModel = "Apartment"
#pragma once

#include "ole/ComTypes.h"

#include <string_view>

namespace ole {

struct ServerClass {
    const WCHAR* progId;
    CLSID clsid;
    const WCHAR* description;
};

// S_OK, or SELFREG_E_CLASS when a key or value cannot be written (a
// read-only HKEY_CLASSES_ROOT, for instance).
HRESULT RegisterServerClass(const ServerClass& serverClass, std::u16string_view libraryPath);
// Removes the keys above; keys that are already gone are no error.
HRESULT UnregisterServerClass(const ServerClass& serverClass);

// The Windows path of the library that holds the address (one of the
// server's own functions), for its InprocServer32 value.
std::u16string ServerLibraryPath(const void* addressInServer);

} // namespace ole
