#include "ole/DispatchObject.h"
#include "ole/Variant.h"

#include <utility>

namespace ole {

CDispatchError::CDispatchError(HRESULT code, std::u16string description, int argument)
    : m_code(code)
    , m_description(std::move(description))
    , m_argument(argument)
{
}

CDispArgs::CDispArgs(const DISPPARAMS* params, WORD flags)
    : m_params(params)
    , m_count(0)
{
    if (!params)
        return;
    UINT named = params->cNamedArgs <= params->cArgs ? params->cNamedArgs : params->cArgs;
    m_count = params->cArgs - named;
    for (UINT i = 0; i < named; ++i) {
        if (params->rgdispidNamedArgs && params->rgdispidNamedArgs[i] == DISPID_PROPERTYPUT)
            m_putValue = &params->rgvarg[i];
    }
    // A put without the named argument: its last positional argument is the
    // value, as Windows accepts from some callers.
    if (!m_putValue && (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) && m_count > 0) {
        m_putValue = &params->rgvarg[named];
        --m_count;
    }
}

void CDispArgs::ExpectCount(UINT min, UINT max) const
{
    if (m_count < min || m_count > max)
        throw CDispatchError(DISP_E_BADPARAMCOUNT);
}

const VARIANT& CDispArgs::At(UINT i) const
{
    if (i >= m_count)
        throw CDispatchError(DISP_E_PARAMNOTOPTIONAL, {}, static_cast<int>(i));
    return m_params->rgvarg[m_params->cArgs - 1 - i];
}

bool CDispArgs::IsMissing(UINT i) const
{
    return i >= m_count || ole::IsMissing(At(i));
}

const VARIANT& CDispArgs::Required(UINT i) const
{
    const VARIANT& value = At(i);
    if (ole::IsMissing(value))
        throw CDispatchError(DISP_E_PARAMNOTOPTIONAL, {}, static_cast<int>(i));
    return value;
}

namespace {

template <typename T>
T Converted(std::optional<T> value, int argument)
{
    if (!value)
        throw CDispatchError(DISP_E_TYPEMISMATCH, {}, argument);
    return std::move(*value);
}

} // namespace

std::u16string CDispArgs::String(UINT i) const
{
    return Converted(ToString(Required(i)), static_cast<int>(i));
}

LONG CDispArgs::Long(UINT i) const
{
    return Converted(ToLong(Required(i)), static_cast<int>(i));
}

bool CDispArgs::Bool(UINT i) const
{
    return Converted(ToBool(Required(i)), static_cast<int>(i));
}

DATE CDispArgs::Date(UINT i) const
{
    return Converted(ToDate(Required(i)), static_cast<int>(i));
}

const VARIANT& CDispArgs::PutValue() const
{
    if (!m_putValue)
        throw CDispatchError(DISP_E_PARAMNOTFOUND);
    return *m_putValue;
}

std::u16string CDispArgs::PutString() const
{
    return Converted(ToString(PutValue()), -1);
}

LONG CDispArgs::PutLong() const
{
    return Converted(ToLong(PutValue()), -1);
}

bool CDispArgs::PutBool() const
{
    return Converted(ToBool(PutValue()), -1);
}

DATE CDispArgs::PutDate() const
{
    return Converted(ToDate(PutValue()), -1);
}

} // namespace ole
