#pragma once

#include <cstdint>
#include <map>

#include "mapi/ltp/PropertyValue.h"

namespace mapi::ltp {

// The properties of one object, ordered by tag. An object holds at most one
// value per property id, as a property context does; setting an id with
// another type replaces the value.
class CPropertyBag {
public:
    using Map = std::map<std::uint16_t, PropertyValue>; // by property id

    // Sets the value of a tag; the tag's type must be the value's type.
    void Set(std::uint32_t tag, PropertyValue value);
    // A tag of this type names the property of its id whatever its type.
    static constexpr std::uint16_t kAnyType = 0x0000;

    // The value of a tag, or null.
    const PropertyValue* Get(std::uint32_t tag) const;
    bool Has(std::uint32_t tag) const { return Get(tag) != nullptr; }
    bool Remove(std::uint32_t tag);

    // Typed reads that fall back when the tag is missing or of another type.
    std::int32_t GetLong(std::uint32_t tag, std::int32_t fallback = 0) const;
    bool GetBoolean(std::uint32_t tag, bool fallback = false) const;
    std::u16string GetUnicode(std::uint32_t tag, const std::u16string& fallback = {}) const;
    Bytes GetBinary(std::uint32_t tag) const;

    std::size_t Size() const { return m_values.size(); }
    bool Empty() const { return m_values.empty(); }
    Map::const_iterator begin() const { return m_values.begin(); }
    Map::const_iterator end() const { return m_values.end(); }
    static std::uint32_t TagOf(const Map::value_type& entry)
    {
        return PROP_TAG(entry.second.Type(), entry.first);
    }

    bool operator==(const CPropertyBag&) const = default;

private:
    Map m_values;
};

} // namespace mapi::ltp
