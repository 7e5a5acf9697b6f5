#include "afx/OleDispatchDriver.h"

#include "ole/Com.h"

#include <vector>

namespace {

// The VTS_ byte of a by-reference argument carries this bit; the VARIANT
// gets VT_BYREF instead.
constexpr BYTE kByRefBit = 0x40;

// The arguments of one call, built from the VTS_ string, and the BSTRs made
// for them, freed when the call is over.
class CallArguments {
public:
    ~CallArguments()
    {
        for (BSTR text : m_ownedTexts)
            SysFreeString(text);
    }

    // rgvarg holds the arguments in reverse order, the last one first.
    void Build(const BYTE* info, va_list& args)
    {
        std::vector<VARIANT> inOrder;
        for (const BYTE* kind = info; kind && *kind; ++kind) {
            VARIANT v;
            VariantInit(&v);
            if (*kind & kByRefBit) {
                v.vt = static_cast<VARTYPE>((*kind & ~kByRefBit) | VT_BYREF);
                v.byref = va_arg(args, void*);
            } else {
                v.vt = *kind;
                ReadValue(v, args);
            }
            inOrder.push_back(v);
        }
        m_values.assign(inOrder.rbegin(), inOrder.rend());
    }

    std::vector<VARIANT>& Values() { return m_values; }

private:
    void ReadValue(VARIANT& v, va_list& args)
    {
        switch (v.vt) {
        case VT_I2: v.iVal = static_cast<SHORT>(va_arg(args, int)); break;
        case VT_I4: v.lVal = static_cast<LONG>(va_arg(args, int)); break;
        case VT_R4: v.fltVal = static_cast<float>(va_arg(args, double)); break;
        case VT_R8: v.dblVal = va_arg(args, double); break;
        case VT_DATE: v.date = va_arg(args, double); break;
        case VT_ERROR: v.scode = static_cast<SCODE>(va_arg(args, int)); break;
        case VT_BOOL: v.boolVal = va_arg(args, int) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case VT_UI1: v.bVal = static_cast<BYTE>(va_arg(args, int)); break;
        case VT_DISPATCH: v.pdispVal = va_arg(args, IDispatch*); break;
        case VT_UNKNOWN: v.punkVal = va_arg(args, IUnknown*); break;
        case VT_BSTR: {
            const OLECHAR* text = va_arg(args, const OLECHAR*);
            v.bstrVal = SysAllocString(text);
            if (text && !v.bstrVal)
                AfxThrowOleException(E_OUTOFMEMORY);
            m_ownedTexts.push_back(v.bstrVal);
            break;
        }
        case VT_VARIANT: {
            // Passed as it is: the caller keeps what the VARIANT owns.
            const VARIANT* value = va_arg(args, const VARIANT*);
            if (value)
                v = *value;
            break;
        }
        default:
            AfxThrowOleException(E_INVALIDARG);
        }
    }

    std::vector<VARIANT> m_values;
    std::vector<BSTR> m_ownedTexts;
};

std::u16string TextOf(BSTR text)
{
    return std::u16string(text ? text : u"", SysStringLen(text));
}

[[noreturn]] void ThrowFromExceptionInfo(EXCEPINFO& info, HRESULT hr)
{
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    COleDispatchException error(TextOf(info.bstrDescription), info.dwHelpContext, info.wCode);
    error.m_scError = info.scode ? info.scode : hr;
    error.m_strSource = TextOf(info.bstrSource);
    error.m_strHelpFile = TextOf(info.bstrHelpFile);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    throw error;
}

// Moves the result into the caller's storage for its type; the VARIANT
// holds nothing afterwards.
void StoreResult(VARIANT& result, VARTYPE type, void* target)
{
    if (type != VT_VARIANT && result.vt != type) {
        HRESULT hr = VariantChangeType(&result, &result, 0, type);
        if (FAILED(hr)) {
            VariantClear(&result);
            AfxThrowOleException(hr);
        }
    }
    switch (type) {
    case VT_I2: *static_cast<SHORT*>(target) = result.iVal; break;
    case VT_I4: *static_cast<LONG*>(target) = result.lVal; break;
    case VT_R4: *static_cast<float*>(target) = result.fltVal; break;
    case VT_R8: *static_cast<double*>(target) = result.dblVal; break;
    case VT_DATE: *static_cast<DATE*>(target) = result.date; break;
    case VT_ERROR: *static_cast<SCODE*>(target) = result.scode; break;
    case VT_BOOL: *static_cast<BOOL*>(target) = result.boolVal != VARIANT_FALSE; break;
    case VT_UI1: *static_cast<BYTE*>(target) = result.bVal; break;
    case VT_BSTR:
        *static_cast<std::u16string*>(target) = TextOf(result.bstrVal);
        VariantClear(&result);
        return;
    case VT_DISPATCH: *static_cast<LPDISPATCH*>(target) = result.pdispVal; break;
    case VT_UNKNOWN: *static_cast<LPUNKNOWN*>(target) = result.punkVal; break;
    case VT_VARIANT: *static_cast<VARIANT*>(target) = result; break;
    default:
        VariantClear(&result);
        AfxThrowOleException(E_INVALIDARG);
    }
    VariantInit(&result);
}

} // namespace

void AfxThrowOleException(SCODE sc)
{
    throw COleException(sc);
}

void AfxThrowOleDispatchException(WORD code, LPCWSTR description, UINT helpId)
{
    throw COleDispatchException(description ? description : u"", helpId, code);
}

COleDispatchDriver::COleDispatchDriver() = default;

COleDispatchDriver::COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease)
    : m_lpDispatch(dispatch)
    , m_bAutoRelease(autoRelease)
{
}

COleDispatchDriver::COleDispatchDriver(const COleDispatchDriver& other)
    : m_lpDispatch(other.m_lpDispatch)
    , m_bAutoRelease(TRUE)
{
    if (m_lpDispatch)
        m_lpDispatch->AddRef();
}

COleDispatchDriver::~COleDispatchDriver()
{
    ReleaseDispatch();
}

const COleDispatchDriver& COleDispatchDriver::operator=(const COleDispatchDriver& other)
{
    if (this != &other && m_lpDispatch != other.m_lpDispatch) {
        if (other.m_lpDispatch)
            other.m_lpDispatch->AddRef();
        ReleaseDispatch();
        m_lpDispatch = other.m_lpDispatch;
        m_bAutoRelease = TRUE;
    }
    return *this;
}

const COleDispatchDriver& COleDispatchDriver::operator=(LPDISPATCH dispatch)
{
    if (dispatch != m_lpDispatch) {
        ReleaseDispatch();
        m_lpDispatch = dispatch;
        m_bAutoRelease = TRUE;
    }
    return *this;
}

BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid, COleException* error)
{
    ReleaseDispatch();
    IUnknown* object = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&object));
    if (SUCCEEDED(hr)) {
        IDispatch* dispatch = nullptr;
        hr = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
        object->Release();
        if (SUCCEEDED(hr)) {
            AttachDispatch(dispatch, TRUE);
            return TRUE;
        }
    }
    if (error)
        error->m_sc = hr;
    return FALSE;
}

BOOL COleDispatchDriver::CreateDispatch(LPCWSTR progId, COleException* error)
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) {
        if (error)
            error->m_sc = hr;
        return FALSE;
    }
    return CreateDispatch(clsid, error);
}

void COleDispatchDriver::AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease)
{
    if (dispatch != m_lpDispatch)
        ReleaseDispatch();
    m_lpDispatch = dispatch;
    m_bAutoRelease = autoRelease;
}

LPDISPATCH COleDispatchDriver::DetachDispatch()
{
    LPDISPATCH dispatch = m_lpDispatch;
    m_lpDispatch = nullptr;
    return dispatch;
}

void COleDispatchDriver::ReleaseDispatch()
{
    if (m_lpDispatch && m_bAutoRelease)
        m_lpDispatch->Release();
    m_lpDispatch = nullptr;
}

void COleDispatchDriver::InvokeHelper(DISPID dispId, WORD wFlags, VARTYPE vtRet, void* pvRet,
                                      const BYTE* pbParamInfo, ...)
{
    va_list args;
    va_start(args, pbParamInfo);
    try {
        InvokeHelperV(dispId, wFlags, vtRet, pvRet, pbParamInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

void COleDispatchDriver::InvokeHelperV(DISPID dispId, WORD wFlags, VARTYPE vtRet, void* pvRet,
                                       const BYTE* pbParamInfo, va_list argList)
{
    if (!m_lpDispatch)
        return;
    CallArguments arguments;
    va_list args;
    va_copy(args, argList);
    try {
        arguments.Build(pbParamInfo, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);

    DISPPARAMS params{};
    auto& values = arguments.Values();
    params.cArgs = static_cast<UINT>(values.size());
    params.rgvarg = values.empty() ? nullptr : values.data();
    DISPID putId = DISPID_PROPERTYPUT;
    if ((wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && params.cArgs > 0) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &putId;
    }

    VARIANT result;
    VariantInit(&result);
    EXCEPINFO info{};
    UINT argError = 0;
    HRESULT hr = m_lpDispatch->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params,
                                      vtRet == VT_EMPTY ? nullptr : &result, &info, &argError);
    if (FAILED(hr)) {
        VariantClear(&result);
        if (hr == DISP_E_EXCEPTION)
            ThrowFromExceptionInfo(info, hr);
        AfxThrowOleException(hr);
    }
    if (vtRet != VT_EMPTY && pvRet)
        StoreResult(result, vtRet, pvRet);
    else
        VariantClear(&result);
}

void COleDispatchDriver::GetProperty(DISPID dispId, VARTYPE vtProp, void* pvProp) const
{
    const_cast<COleDispatchDriver*>(this)->InvokeHelper(dispId, DISPATCH_PROPERTYGET, vtProp, pvProp, nullptr);
}

