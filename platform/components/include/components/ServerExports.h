// The three exports of a component's library, for a server of one class:
// DllGetClassObject hands out its factory, DllRegisterServer writes the
// class into the registry under the library's own Windows path, and
// DllUnregisterServer takes it out. Used once in each server's source, where
// it is compiled with the server's hidden symbols, so that the anchor whose
// address finds the library lies inside that library.
#pragma once

#include "ole/ClassFactory.h"
#include "ole/ServerRegistration.h"

#define COMPONENT_SERVER_EXPORTS(serverClass, createObject)                                                        \
    namespace {                                                                                                    \
    const int g_serverAnchor = 0;                                                                                  \
    const ole::ServedClass g_servedClasses[] = {{(serverClass).clsid, (createObject)}};                            \
    }                                                                                                              \
    OLE_SERVER_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)                         \
    {                                                                                                              \
        return ole::GetServedClassObject(g_servedClasses, clsid, iid, object);                                     \
    }                                                                                                              \
    OLE_SERVER_EXPORT HRESULT DllRegisterServer()                                                                  \
    {                                                                                                              \
        std::u16string path = ole::ServerLibraryPath(&g_serverAnchor);                                             \
        return path.empty() ? SELFREG_E_CLASS : ole::RegisterServerClass((serverClass), path);                    \
    }                                                                                                              \
    OLE_SERVER_EXPORT HRESULT DllUnregisterServer()                                                                \
    {                                                                                                              \
        return ole::UnregisterServerClass(serverClass);                                                            \
    }
