#include "mapi/ltp/PropertyBag.h"

#include <cassert>

namespace mapi::ltp {

void CPropertyBag::Set(std::uint32_t tag, PropertyValue value)
{
    assert(PROP_TYPE(tag) == value.Type());
    m_values.insert_or_assign(PROP_ID(tag), std::move(value));
}

const PropertyValue* CPropertyBag::Get(std::uint32_t tag) const
{
    auto it = m_values.find(PROP_ID(tag));
    if (it == m_values.end()) return nullptr;
    if (PROP_TYPE(tag) != kAnyType && PROP_TYPE(tag) != it->second.Type()) return nullptr;
    return &it->second;
}

bool CPropertyBag::Remove(std::uint32_t tag)
{
    if (!Get(tag)) return false;
    m_values.erase(PROP_ID(tag));
    return true;
}

std::int32_t CPropertyBag::GetLong(std::uint32_t tag, std::int32_t fallback) const
{
    const PropertyValue* v = Get(tag);
    const std::int32_t* p = v ? v->Get<std::int32_t>() : nullptr;
    return p ? *p : fallback;
}

bool CPropertyBag::GetBoolean(std::uint32_t tag, bool fallback) const
{
    const PropertyValue* v = Get(tag);
    const bool* p = v ? v->Get<bool>() : nullptr;
    return p ? *p : fallback;
}

std::u16string CPropertyBag::GetUnicode(std::uint32_t tag, const std::u16string& fallback) const
{
    const PropertyValue* v = Get(tag);
    const std::u16string* p = v ? v->Get<std::u16string>() : nullptr;
    return p ? *p : fallback;
}

Bytes CPropertyBag::GetBinary(std::uint32_t tag) const
{
    const PropertyValue* v = Get(tag);
    const Bytes* p = v ? v->Get<Bytes>() : nullptr;
    return p ? *p : Bytes{};
}

} // namespace mapi::ltp
