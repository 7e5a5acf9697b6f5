#include "ole/DateText.h"
#include "ole/OleAuto.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// The value read through a by-reference VARIANT, owning nothing.
bool ReadThrough(const VARIANT& source, VARIANT& value)
{
    value = source;
    if (!(source.vt & VT_BYREF))
        return true;
    if (!source.byref)
        return false;
    value.vt = static_cast<VARTYPE>(source.vt & ~VT_BYREF);
    switch (value.vt) {
    case VT_I2: value.iVal = *source.piVal; break;
    case VT_I4: value.lVal = *source.plVal; break;
    case VT_R4: value.fltVal = *source.pfltVal; break;
    case VT_R8: value.dblVal = *source.pdblVal; break;
    case VT_DATE: value.date = *source.pdate; break;
    case VT_BSTR: value.bstrVal = *source.pbstrVal; break;
    case VT_BOOL: value.boolVal = *source.pboolVal; break;
    case VT_ERROR: value.scode = *source.pscode; break;
    case VT_UI1: value.bVal = *source.pbVal; break;
    case VT_DISPATCH: value.pdispVal = *source.ppdispVal; break;
    case VT_UNKNOWN: value.punkVal = *source.ppunkVal; break;
    case VT_VARIANT: return ReadThrough(*source.pvarVal, value);
    default: return false;
    }
    return true;
}

std::u16string_view Trimmed(BSTR text)
{
    std::u16string_view view(text ? text : u"", SysStringLen(text));
    while (!view.empty() && (view.front() == u' ' || view.front() == u'\t'))
        view.remove_prefix(1);
    while (!view.empty() && (view.back() == u' ' || view.back() == u'\t'))
        view.remove_suffix(1);
    return view;
}

bool EqualsAsciiNoCase(std::u16string_view text, const char* word)
{
    std::size_t i = 0;
    for (; word[i]; ++i) {
        if (i >= text.size())
            return false;
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<char16_t>(word[i]))
            return false;
    }
    return i == text.size();
}

// A number in the invariant form: blanks around, sign, digits, one point,
// an exponent.
bool ParseNumber(std::u16string_view text, double& value)
{
    std::string ascii;
    for (char16_t c : text) {
        bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E';
        if (!allowed)
            return false;
        ascii += static_cast<char>(c);
    }
    if (ascii.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(ascii.c_str(), &end);
    return end && *end == 0 && std::isfinite(value);
}

// Rounding of a real to an integer type: halves go to the even neighbour.
double RoundHalfEven(double value)
{
    return std::nearbyint(value);
}

// The numeric value of a scalar VARIANT, if it has one.
HRESULT NumericValue(const VARIANT& v, double& value)
{
    switch (v.vt) {
    case VT_EMPTY: value = 0; return S_OK;
    case VT_I2: value = v.iVal; return S_OK;
    case VT_I4: value = v.lVal; return S_OK;
    case VT_R4: value = v.fltVal; return S_OK;
    case VT_R8: value = v.dblVal; return S_OK;
    case VT_DATE: value = v.date; return S_OK;
    case VT_BOOL: value = v.boolVal ? -1 : 0; return S_OK;
    case VT_UI1: value = v.bVal; return S_OK;
    case VT_BSTR: {
        std::u16string_view text = Trimmed(v.bstrVal);
        if (EqualsAsciiNoCase(text, "true")) {
            value = -1;
            return S_OK;
        }
        if (EqualsAsciiNoCase(text, "false")) {
            value = 0;
            return S_OK;
        }
        return ParseNumber(text, value) ? S_OK : DISP_E_TYPEMISMATCH;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT FromNumber(double value, VARTYPE type, VARIANT& out)
{
    out.vt = type;
    switch (type) {
    case VT_I2: {
        double r = RoundHalfEven(value);
        if (r < -32768 || r > 32767)
            return DISP_E_OVERFLOW;
        out.iVal = static_cast<SHORT>(r);
        return S_OK;
    }
    case VT_I4: {
        double r = RoundHalfEven(value);
        if (r < -2147483648.0 || r > 2147483647.0)
            return DISP_E_OVERFLOW;
        out.lVal = static_cast<LONG>(r);
        return S_OK;
    }
    case VT_UI1: {
        double r = RoundHalfEven(value);
        if (r < 0 || r > 255)
            return DISP_E_OVERFLOW;
        out.bVal = static_cast<BYTE>(r);
        return S_OK;
    }
    case VT_R4:
        if (std::fabs(value) > std::numeric_limits<float>::max())
            return DISP_E_OVERFLOW;
        out.fltVal = static_cast<float>(value);
        return S_OK;
    case VT_R8:
        out.dblVal = value;
        return S_OK;
    case VT_BOOL:
        out.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    case VT_DATE:
        if (!(value >= -657434.0 && value < 2958466.0))
            return DISP_E_OVERFLOW;
        out.date = value;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

std::u16string Ascii(const char* text)
{
    std::u16string out;
    for (; *text; ++text)
        out += static_cast<char16_t>(*text);
    return out;
}

HRESULT ToText(const VARIANT& v, USHORT flags, std::u16string& text)
{
    char buffer[64];
    switch (v.vt) {
    case VT_EMPTY: text.clear(); return S_OK;
    case VT_I2: std::snprintf(buffer, sizeof buffer, "%d", v.iVal); break;
    case VT_I4: std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v.lVal)); break;
    case VT_UI1: std::snprintf(buffer, sizeof buffer, "%u", v.bVal); break;
    case VT_R4: std::snprintf(buffer, sizeof buffer, "%.7G", static_cast<double>(v.fltVal)); break;
    case VT_R8: std::snprintf(buffer, sizeof buffer, "%.15G", v.dblVal); break;
    case VT_BOOL:
        if (flags & VARIANT_ALPHABOOL)
            std::snprintf(buffer, sizeof buffer, "%s", v.boolVal ? "True" : "False");
        else
            std::snprintf(buffer, sizeof buffer, "%d", v.boolVal ? -1 : 0);
        break;
    case VT_DATE: {
        SYSTEMTIME st;
        if (!VariantTimeToSystemTime(v.date, &st))
            return DISP_E_OVERFLOW;
        text = ole::FormatDateText(v.date);
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
    text = Ascii(buffer);
    return S_OK;
}

HRESULT Convert(const VARIANT& value, USHORT flags, VARTYPE type, VARIANT& out)
{
    VariantInit(&out);
    if (value.vt == type)
        return VariantCopy(&out, &value);
    if (type == VT_EMPTY)
        return S_OK; // anything may be emptied
    if (type == VT_BSTR) {
        std::u16string text;
        HRESULT hr = ToText(value, flags, text);
        if (FAILED(hr))
            return hr;
        out.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!out.bstrVal)
            return E_OUTOFMEMORY;
        out.vt = VT_BSTR;
        return S_OK;
    }
    if (type == VT_DATE && value.vt == VT_BSTR) {
        auto date = ole::ParseDateText(std::u16string_view(value.bstrVal ? value.bstrVal : u"",
                                                           SysStringLen(value.bstrVal)));
        if (!date)
            return DISP_E_TYPEMISMATCH;
        out.vt = VT_DATE;
        out.date = *date;
        return S_OK;
    }
    double number = 0;
    HRESULT hr = NumericValue(value, number);
    if (FAILED(hr))
        return hr;
    hr = FromNumber(number, type, out);
    if (FAILED(hr))
        VariantInit(&out);
    return hr;
}

} // namespace

HRESULT VariantChangeType(VARIANTARG* target, const VARIANTARG* source, USHORT flags, VARTYPE type)
{
    if (!target || !source)
        return E_INVALIDARG;
    if (type & VT_BYREF)
        return DISP_E_TYPEMISMATCH;
    VARIANT value;
    if (!ReadThrough(*source, value))
        return DISP_E_BADVARTYPE;
    VARIANT out;
    HRESULT hr = Convert(value, flags, type, out);
    if (FAILED(hr))
        return hr;
    // The source is read completely before the target is cleared, so that
    // both may be one VARIANT.
    VariantClear(target);
    *target = out;
    return S_OK;
}
