// COleDispatchDriver: late-bound calls on an automation object by DISPID,
// with arguments described by VTS_ strings, as the framework offers them.
//
// Differences of this framework that callers must know:
// - A VT_BSTR result is written into a std::u16string (pvRet points at one).
// - A VT_I4 result and a VTS_I4 argument are 32-bit LONGs.
// - Exceptions are thrown by value (see afx/Exception.h).
// - A call on a driver that holds no object does nothing and throws nothing.
#pragma once

#include "afx/Exception.h"
#include "ole/OleAuto.h"

#include <cstdarg>
#include <string>

// Argument kinds, one byte each, concatenated: VTS_BSTR VTS_I4 is "\x08\x03".
// The P forms pass a pointer and reach the object by reference.
#define VTS_NONE ""
#define VTS_I2 "\x02"
#define VTS_I4 "\x03"
#define VTS_R4 "\x04"
#define VTS_R8 "\x05"
#define VTS_DATE "\x07"
#define VTS_BSTR "\x08"
#define VTS_DISPATCH "\x09"
#define VTS_SCODE "\x0A"
#define VTS_BOOL "\x0B"
#define VTS_VARIANT "\x0C"
#define VTS_UNKNOWN "\x0D"
#define VTS_UI1 "\x11"
#define VTS_PI2 "\x42"
#define VTS_PI4 "\x43"
#define VTS_PR4 "\x44"
#define VTS_PR8 "\x45"
#define VTS_PDATE "\x47"
#define VTS_PBSTR "\x48"
#define VTS_PDISPATCH "\x49"
#define VTS_PSCODE "\x4A"
#define VTS_PBOOL "\x4B"
#define VTS_PVARIANT "\x4C"
#define VTS_PUNKNOWN "\x4D"
#define VTS_PUI1 "\x51"

// A failure of COM itself: an object that cannot be created, an Invoke that
// fails without an application error.
class COleException : public CException {
public:
    explicit COleException(SCODE sc = S_OK)
        : m_sc(sc)
    {
    }
    SCODE m_sc;
};

// An application error raised by the object (Invoke answered DISP_E_EXCEPTION).
class COleDispatchException : public CException {
public:
    COleDispatchException(std::u16string description, UINT helpId, WORD code)
        : m_wCode(code)
        , m_strDescription(std::move(description))
        , m_dwHelpContext(helpId)
    {
    }
    WORD m_wCode;
    SCODE m_scError = S_OK;
    std::u16string m_strDescription;
    std::u16string m_strSource;
    std::u16string m_strHelpFile;
    DWORD m_dwHelpContext;
};

[[noreturn]] void AfxThrowOleException(SCODE sc);
[[noreturn]] void AfxThrowOleDispatchException(WORD code, LPCWSTR description, UINT helpId = 0);

class COleDispatchDriver {
public:
    COleDispatchDriver();
    explicit COleDispatchDriver(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    COleDispatchDriver(const COleDispatchDriver& other);
    ~COleDispatchDriver();
    const COleDispatchDriver& operator=(const COleDispatchDriver& other);
    const COleDispatchDriver& operator=(LPDISPATCH dispatch);

    // Creates the object (CoCreateInstance) and holds its IDispatch. FALSE
    // when it cannot be made; error, if given, receives the reason.
    BOOL CreateDispatch(REFCLSID clsid, COleException* error = nullptr);
    BOOL CreateDispatch(LPCWSTR progId, COleException* error = nullptr);

    void AttachDispatch(LPDISPATCH dispatch, BOOL autoRelease = TRUE);
    LPDISPATCH DetachDispatch();
    // Lets go of the object (releasing it when auto-release is on).
    void ReleaseDispatch();

    // wFlags is DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT;
    // a put passes its (last) argument as the DISPID_PROPERTYPUT value. The
    // result, unless vtRet is VT_EMPTY, is converted to vtRet and stored at
    // pvRet: SHORT, LONG, float, double, DATE, std::u16string, LPDISPATCH
    // (a reference the caller owns), SCODE, BOOL, VARIANT (owned by the
    // caller), LPUNKNOWN or BYTE.
    void InvokeHelper(DISPID dispId, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo, ...);
    void InvokeHelperV(DISPID dispId, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo,
                       va_list argList);
    void GetProperty(DISPID dispId, VARTYPE vtProp, void* pvProp) const;
    // The value goes on as a variadic argument of InvokeHelper, with the
    // promotions of one; a template, because va_start may not start from a
    // VARTYPE, which is promoted itself.
    template <class Value>
    void SetProperty(DISPID dispId, VARTYPE vtProp, Value value)
    {
        const BYTE info[2] = {static_cast<BYTE>(vtProp), 0};
        const WORD flags = vtProp == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
        InvokeHelper(dispId, flags, VT_EMPTY, nullptr, info, value);
    }

    operator LPDISPATCH() const { return m_lpDispatch; }

    LPDISPATCH m_lpDispatch = nullptr;
    BOOL m_bAutoRelease = TRUE;
};
