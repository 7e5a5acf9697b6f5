#include "ole/Com.h"
#include "ComInternal.h"

namespace {

// COM state of one thread: how often it initialised and in which model.
struct ThreadApartment {
    int count = 0;
    DWORD model = COINIT_APARTMENTTHREADED;
};

thread_local ThreadApartment t_apartment;

} // namespace

HRESULT CoInitializeEx(void* reserved, DWORD model)
{
    if (reserved)
        return E_INVALIDARG;
    model &= COINIT_APARTMENTTHREADED;
    if (t_apartment.count > 0) {
        if (t_apartment.model != model)
            return RPC_E_CHANGED_MODE;
        ++t_apartment.count;
        return S_FALSE;
    }
    t_apartment.count = 1;
    t_apartment.model = model;
    return S_OK;
}

HRESULT CoInitialize(void* reserved)
{
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize()
{
    if (t_apartment.count > 0)
        --t_apartment.count;
}

namespace ole {

bool IsComInitialized()
{
    return t_apartment.count > 0;
}

} // namespace ole
