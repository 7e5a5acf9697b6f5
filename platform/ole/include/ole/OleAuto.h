// Automation values: BSTR strings, VARIANTs, DATEs and the argument blocks of
// IDispatch::Invoke, with the functions of the automation runtime that work
// on them.
#pragma once

#include "ole/Unknown.h"

using BSTR = OLECHAR*;
using LPBSTR = BSTR*;
using VARTYPE = unsigned short;
using VARIANT_BOOL = short;
using DATE = double;
using SHORT = short;
using USHORT = unsigned short;
using FLOAT = float;
using DOUBLE = double;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

// A tagged value. The union members are those of Windows for the types above
// and their by-reference forms.
struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        FLOAT* pfltVal;
        DOUBLE* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        VARIANT* pvarVal;
        void* byref;
    };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
using LPCVARIANT = const VARIANT*;

// Invoke's arguments: positional arguments in reverse order (the last one
// first), then the named ones, whose DISPIDs rgdispidNamedArgs gives.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

// What a server reports when a call raises an application error (Invoke
// returns DISP_E_EXCEPTION); the caller frees the strings.
struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

// A null BSTR is the empty string for every function here.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
BOOL SysReAllocString(BSTR* target, const OLECHAR* text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);

void VariantInit(VARIANTARG* value);
// Frees what the value owns (its BSTR, its reference on an object) and leaves
// it VT_EMPTY. By-reference values own nothing.
HRESULT VariantClear(VARIANTARG* value);
// A deep copy: a new BSTR, another reference on an object.
HRESULT VariantCopy(VARIANTARG* target, const VARIANTARG* source);

// VariantChangeType flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;

// Converts into target (which may be source itself) in the machine's locale;
// a by-reference source is read through. Fails with DISP_E_TYPEMISMATCH when
// the value has no form of the requested type and DISP_E_OVERFLOW when it
// does not fit; target is then left as it was.
HRESULT VariantChangeType(VARIANTARG* target, const VARIANTARG* source, USHORT flags, VARTYPE type);

// DATE: days since 30 December 1899 00:00; the fraction is the time of day,
// counted away from day 0 for earlier dates (-1.25 is 29 December 1899 06:00).
INT SystemTimeToVariantTime(const SYSTEMTIME* time, DOUBLE* date);
INT VariantTimeToSystemTime(DOUBLE date, SYSTEMTIME* time);
