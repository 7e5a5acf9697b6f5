// An item as the components assemble it before it is saved: its message
// class, its properties (tagged or named), its recipients and attachments.
// Nothing reaches the store until the item is saved in one piece, so an item
// let go unsaved leaves no trace.
#pragma once

#include "mapi/NodeContent.h"
#include "mapi/ltp/NameIdMap.h"
#include "mapi/ltp/PropertyValue.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace components {

using mapi::Bytes;
using mapi::ltp::NamedProperty;
using mapi::ltp::PropertyValue;

// A property as the components address it: a tag, or a named property whose
// type is the low word of `tag` (its id is given by each store's name map).
struct PropertyKey {
    std::uint32_t tag = 0;
    std::optional<NamedProperty> name;

    static PropertyKey Tag(std::uint32_t tag) { return {tag, std::nullopt}; }
    static PropertyKey Named(const mapi::ltp::Guid& set, std::uint32_t lid, std::uint16_t type)
    {
        return {type, NamedProperty::Lid(set, lid)};
    }
    static PropertyKey NamedString(const mapi::ltp::Guid& set, std::u16string name, std::uint16_t type)
    {
        return {type, NamedProperty::Name(set, std::move(name))};
    }
    std::uint16_t Type() const { return static_cast<std::uint16_t>(tag & 0xFFFF); }
    bool operator==(const PropertyKey&) const = default;
    auto operator<=>(const PropertyKey&) const = default;
};

struct RecipientDraft {
    std::int32_t type = 1; // MAPI_TO, MAPI_CC or MAPI_BCC
    std::u16string displayName;
    std::u16string emailAddress;
    std::u16string addressType;
    bool operator==(const RecipientDraft&) const = default;
};

struct AttachmentDraft {
    std::u16string fileName; // the name alone, without its folder
    Bytes data;
};

struct ItemDraft {
    std::u16string messageClass;
    std::map<PropertyKey, PropertyValue> properties;
    std::vector<RecipientDraft> recipients;
    std::vector<AttachmentDraft> attachments;

    void Set(const PropertyKey& key, PropertyValue value) { properties.insert_or_assign(key, std::move(value)); }
    const PropertyValue* Find(const PropertyKey& key) const
    {
        auto it = properties.find(key);
        return it == properties.end() ? nullptr : &it->second;
    }
    // The value when it is set with the type the key names.
    std::optional<std::u16string> Text(const PropertyKey& key) const;
    std::optional<std::uint64_t> Time(const PropertyKey& key) const;
    std::optional<bool> Flag(const PropertyKey& key) const;
    std::optional<std::int32_t> Number(const PropertyKey& key) const;
};

} // namespace components
