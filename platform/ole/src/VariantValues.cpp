#include "ole/Variant.h"

namespace ole {

VARIANT MakeString(std::u16string_view text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

VARIANT MakeLong(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT MakeShort(SHORT value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT MakeBool(bool value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT MakeDateVariant(DATE value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DATE;
    v.date = value;
    return v;
}

VARIANT MakeDispatch(IDispatch* object)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

VARIANT MakeMissing()
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    return v;
}

bool IsMissing(const VARIANT& value)
{
    if (value.vt == VT_ERROR)
        return value.scode == DISP_E_PARAMNOTFOUND;
    if (value.vt == (VT_ERROR | VT_BYREF))
        return value.pscode && *value.pscode == DISP_E_PARAMNOTFOUND;
    return false;
}

std::optional<std::u16string> ToString(const VARIANT& value)
{
    // A string, or a reference to one, is its own text: read in place rather
    // than copied to a new BSTR first.
    const BSTR* direct = nullptr;
    if (value.vt == VT_BSTR)
        direct = &value.bstrVal;
    else if (value.vt == (VT_BSTR | VT_BYREF))
        direct = value.pbstrVal; // a null reference goes to the conversion, which refuses it
    if (direct)
        return std::u16string(*direct ? *direct : u"", SysStringLen(*direct));
    CVariant text;
    if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
        return std::nullopt;
    return std::u16string(text.bstrVal ? text.bstrVal : u"", SysStringLen(text.bstrVal));
}

std::optional<LONG> ToLong(const VARIANT& value)
{
    CVariant number;
    if (FAILED(VariantChangeType(&number, &value, 0, VT_I4)))
        return std::nullopt;
    return number.lVal;
}

std::optional<bool> ToBool(const VARIANT& value)
{
    CVariant flag;
    if (FAILED(VariantChangeType(&flag, &value, 0, VT_BOOL)))
        return std::nullopt;
    return flag.boolVal != VARIANT_FALSE;
}

std::optional<DATE> ToDate(const VARIANT& value)
{
    CVariant date;
    if (FAILED(VariantChangeType(&date, &value, 0, VT_DATE)))
        return std::nullopt;
    return date.date;
}

} // namespace ole
