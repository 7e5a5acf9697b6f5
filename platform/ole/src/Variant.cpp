#include "ole/OleAuto.h"

#include <cstring>

void VariantInit(VARIANTARG* value)
{
    if (!value)
        return;
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANTARG* value)
{
    if (!value)
        return E_INVALIDARG;
    if (!(value->vt & VT_BYREF)) {
        switch (value->vt) {
        case VT_BSTR:
            SysFreeString(value->bstrVal);
            break;
        case VT_DISPATCH:
            if (value->pdispVal)
                value->pdispVal->Release();
            break;
        case VT_UNKNOWN:
            if (value->punkVal)
                value->punkVal->Release();
            break;
        case VT_EMPTY:
        case VT_NULL:
        case VT_I2:
        case VT_I4:
        case VT_R4:
        case VT_R8:
        case VT_DATE:
        case VT_ERROR:
        case VT_BOOL:
        case VT_UI1:
            break;
        default:
            return DISP_E_BADVARTYPE;
        }
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANTARG* target, const VARIANTARG* source)
{
    if (!target || !source)
        return E_INVALIDARG;
    if (target == source)
        return S_OK;
    VARIANT copy = *source;
    if (!(source->vt & VT_BYREF)) {
        switch (source->vt) {
        case VT_BSTR:
            if (source->bstrVal) {
                copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
                if (!copy.bstrVal)
                    return E_OUTOFMEMORY;
            }
            break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            if (source->punkVal)
                source->punkVal->AddRef();
            break;
        default:
            break;
        }
    }
    HRESULT hr = VariantClear(target);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *target = copy;
    return S_OK;
}
