#include "ole/ClassFactory.h"

namespace ole {

CClassFactory::CClassFactory(CreateObjectFunction create)
    : m_create(create)
{
}

HRESULT CClassFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CClassFactory::AddRef()
{
    return ++m_references;
}

ULONG CClassFactory::Release()
{
    ULONG left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    IUnknown* made = m_create();
    if (!made)
        return E_OUTOFMEMORY;
    HRESULT hr = made->QueryInterface(iid, object);
    made->Release();
    return hr;
}

HRESULT CClassFactory::LockServer(BOOL)
{
    return S_OK; // server libraries are never unloaded
}

HRESULT GetServedClassObject(std::span<const ServedClass> classes, REFCLSID clsid, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (const auto& served : classes) {
        if (served.clsid == clsid) {
            auto* factory = new CClassFactory(served.create);
            HRESULT hr = factory->QueryInterface(iid, object);
            factory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace ole
