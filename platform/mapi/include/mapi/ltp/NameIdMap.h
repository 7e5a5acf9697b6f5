#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "mapi/ltp/LtpResult.h"
#include "mapi/ltp/PropertyBag.h"

namespace mapi::ltp {

// The name of a named property: a property set and a number (LID) or a string.
struct NamedProperty {
    Guid guid;
    bool isString = false;
    std::uint32_t lid = 0;
    std::u16string name;

    static NamedProperty Lid(const Guid& g, std::uint32_t id) { return {g, false, id, {}}; }
    static NamedProperty Name(const Guid& g, std::u16string n) { return {g, true, 0, std::move(n)}; }
    bool operator==(const NamedProperty&) const = default;
    auto operator<=>(const NamedProperty&) const = default;
};

// The name-to-id map of a store ([MS-PST] 2.4.7): named properties get the
// ids 0x8000 + wPropIdx in order of first use. Stored in the PC of
// NID_NAME_TO_ID_MAP as a GUID stream, an entry stream of 8-byte NAMEIDs, a
// string stream and hash buckets.
class CNameIdMap {
public:
    static constexpr std::uint32_t kDefaultBucketCount = 251;
    static constexpr std::size_t kMaxEntries = 0x7FFF;

    CNameIdMap() = default;
    static Result<CNameIdMap> FromBag(const CPropertyBag& bag);
    CPropertyBag ToBag() const;

    std::optional<std::uint16_t> Find(const NamedProperty& name) const;
    // The id of `name`, assigning the next free one when it has none.
    Result<std::uint16_t> GetOrAdd(const NamedProperty& name);
    const NamedProperty* Lookup(std::uint16_t propId) const;
    std::size_t Size() const { return m_byIndex.size(); }

    // The hash of a name as the buckets use it; a string hashes by the
    // CRC-32 of its UTF-16LE bytes.
    static std::uint32_t HashOf(const NamedProperty& name);

private:
    std::uint16_t GuidIndex(const Guid& g) const;

    std::uint32_t m_bucketCount = kDefaultBucketCount;
    std::vector<Guid> m_guids; // the GUID stream: wGuid 3 + index
    std::vector<NamedProperty> m_byIndex;
    std::map<NamedProperty, std::uint16_t> m_byName;
};

} // namespace mapi::ltp
