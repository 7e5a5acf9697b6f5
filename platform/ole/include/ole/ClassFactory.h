// The class objects of an in-process server: DllGetClassObject answers with
// a factory that makes the server's objects.
#pragma once

#include "ole/Unknown.h"

#include <atomic>
#include <span>

namespace ole {

// A new object with one reference held by the caller, or nullptr.
using CreateObjectFunction = IUnknown* (*)();

struct ServedClass {
    CLSID clsid;
    CreateObjectFunction create;
};

class CClassFactory final : public IClassFactory {
public:
    explicit CClassFactory(CreateObjectFunction create);
    CClassFactory(const CClassFactory&) = delete;
    CClassFactory& operator=(const CClassFactory&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    // Aggregation is not offered: a non-null outer fails with CLASS_E_NOAGGREGATION.
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT LockServer(BOOL lock) override;

private:
    ~CClassFactory() = default;

    CreateObjectFunction m_create;
    std::atomic<ULONG> m_references{1};
};

// The body of a server's DllGetClassObject: a factory for the class asked
// for, or CLASS_E_CLASSNOTAVAILABLE.
HRESULT GetServedClassObject(std::span<const ServedClass> classes, REFCLSID clsid, REFIID iid, void** object);

} // namespace ole

// Marks the exports of a server library (DllGetClassObject,
// DllRegisterServer, DllUnregisterServer); servers are built with hidden
// symbols otherwise, so that their own classes never meet another server's.
#define OLE_SERVER_EXPORT extern "C" __attribute__((visibility("default")))
