#include "mapi/ltp/NameIdMap.h"

#include <algorithm>

#include "mapi/ndb/Crc.h"
#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/PropertyCodec.h"
#include "mapi/ltp/PropertySets.h"

namespace mapi::ltp {

namespace {

// wGuid values below the GUID stream.
constexpr std::uint16_t kGuidNone = 0;
constexpr std::uint16_t kGuidMapi = 1;
constexpr std::uint16_t kGuidPublicStrings = 2;
constexpr std::uint16_t kFirstStreamGuid = 3;

// NAMEID (8 bytes): dwPropertyID 4 (the LID, or the offset of the name in
// the string stream; in a bucket, the hash), then a WORD of N (bit 0: a
// string name) and wGuid (bits 1..15), then wPropIdx 2.
struct NameIdRecord {
    std::uint32_t propertyId;
    bool isString;
    std::uint16_t guid;
    std::uint16_t propIdx;
};

void AppendRecord(Bytes& out, const NameIdRecord& r)
{
    AppendU32(out, r.propertyId);
    AppendU16(out, static_cast<std::uint16_t>((r.guid << 1) | (r.isString ? 1 : 0)));
    AppendU16(out, r.propIdx);
}

NameIdRecord ReadRecord(const std::uint8_t* p)
{
    const std::uint16_t word = ReadU16(p + 4);
    return {ReadU32(p), (word & 1) != 0, static_cast<std::uint16_t>(word >> 1), ReadU16(p + 6)};
}

} // namespace

std::uint32_t CNameIdMap::HashOf(const NamedProperty& name)
{
    if (!name.isString) return name.lid;
    const Bytes bytes = Utf16Bytes(name.name);
    return mapi::ndb::ComputeCrc({bytes.data(), bytes.size()});
}

std::uint16_t CNameIdMap::GuidIndex(const Guid& g) const
{
    if (g == PS_MAPI) return kGuidMapi;
    if (g == PS_PUBLIC_STRINGS) return kGuidPublicStrings;
    auto it = std::find(m_guids.begin(), m_guids.end(), g);
    return static_cast<std::uint16_t>(kFirstStreamGuid + (it - m_guids.begin()));
}

Result<CNameIdMap> CNameIdMap::FromBag(const CPropertyBag& bag)
{
    CNameIdMap map;
    map.m_bucketCount = static_cast<std::uint32_t>(bag.GetLong(PR_NAMEID_BUCKET_COUNT, kDefaultBucketCount));
    if (map.m_bucketCount == 0) return MakeError("name-to-id map: bucket count 0");
    const Bytes guids = bag.GetBinary(PR_NAMEID_STREAM_GUID);
    const Bytes entries = bag.GetBinary(PR_NAMEID_STREAM_ENTRY);
    const Bytes strings = bag.GetBinary(PR_NAMEID_STREAM_STRING);
    if (guids.size() % 16 != 0) return MakeError("name-to-id map: GUID stream of " + std::to_string(guids.size()) + " bytes");
    if (entries.size() % 8 != 0) return MakeError("name-to-id map: entry stream of " + std::to_string(entries.size()) + " bytes");
    for (std::size_t off = 0; off < guids.size(); off += 16) {
        Guid g;
        std::copy(guids.begin() + off, guids.begin() + off + 16, g.bytes.begin());
        map.m_guids.push_back(g);
    }
    const std::size_t count = entries.size() / 8;
    if (count > kMaxEntries) return MakeError("name-to-id map: too many entries");
    map.m_byIndex.resize(count);
    std::vector<bool> seen(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        const NameIdRecord r = ReadRecord(&entries[8 * i]);
        const std::string where = "name-to-id map entry " + std::to_string(i);
        if (r.propIdx >= count || seen[r.propIdx]) return MakeError(where + ": bad or repeated wPropIdx " + std::to_string(r.propIdx));
        seen[r.propIdx] = true;
        NamedProperty name;
        if (r.guid == kGuidMapi) name.guid = PS_MAPI;
        else if (r.guid == kGuidPublicStrings) name.guid = PS_PUBLIC_STRINGS;
        else if (r.guid == kGuidNone) name.guid = Guid{};
        else if (static_cast<std::size_t>(r.guid - kFirstStreamGuid) < map.m_guids.size()) name.guid = map.m_guids[r.guid - kFirstStreamGuid];
        else return MakeError(where + ": GUID index " + std::to_string(r.guid) + " past the GUID stream");
        name.isString = r.isString;
        if (r.isString) {
            const std::size_t off = r.propertyId;
            if (off + 4 > strings.size()) return MakeError(where + ": name offset past the string stream");
            const std::size_t length = ReadU32(&strings[off]);
            if (length > strings.size() - off - 4) return MakeError(where + ": name runs past the string stream");
            name.name = Utf16FromBytes(&strings[off + 4], length);
        } else {
            name.lid = r.propertyId;
        }
        map.m_byName.emplace(name, r.propIdx);
        map.m_byIndex[r.propIdx] = std::move(name);
    }
    return map;
}

CPropertyBag CNameIdMap::ToBag() const
{
    Bytes guids, entries, strings;
    for (const Guid& g : m_guids) guids.insert(guids.end(), g.bytes.begin(), g.bytes.end());
    std::vector<Bytes> buckets(m_bucketCount);
    for (std::size_t i = 0; i < m_byIndex.size(); ++i) {
        const NamedProperty& name = m_byIndex[i];
        NameIdRecord r{name.lid, name.isString, GuidIndex(name.guid), static_cast<std::uint16_t>(i)};
        if (name.isString) {
            r.propertyId = static_cast<std::uint32_t>(strings.size());
            const Bytes text = Utf16Bytes(name.name);
            AppendU32(strings, static_cast<std::uint32_t>(text.size()));
            AppendBytes(strings, text);
            while (strings.size() % 4 != 0) strings.push_back(0);
        }
        AppendRecord(entries, r);
        const std::uint32_t hash = HashOf(name);
        const std::uint32_t bucket = (hash ^ ((static_cast<std::uint32_t>(r.guid) << 1) | (name.isString ? 1u : 0u))) % m_bucketCount;
        AppendRecord(buckets[bucket], NameIdRecord{hash, name.isString, r.guid, r.propIdx});
    }
    CPropertyBag bag;
    bag.Set(PR_NAMEID_BUCKET_COUNT, PropertyValue::Long(static_cast<std::int32_t>(m_bucketCount)));
    bag.Set(PR_NAMEID_STREAM_GUID, PropertyValue::Binary(std::move(guids)));
    bag.Set(PR_NAMEID_STREAM_ENTRY, PropertyValue::Binary(std::move(entries)));
    bag.Set(PR_NAMEID_STREAM_STRING, PropertyValue::Binary(std::move(strings)));
    for (std::uint32_t b = 0; b < m_bucketCount; ++b)
        bag.Set(PROP_TAG(PT_BINARY, static_cast<std::uint16_t>(kNameIdBucketBaseId + b)), PropertyValue::Binary(std::move(buckets[b])));
    return bag;
}

std::optional<std::uint16_t> CNameIdMap::Find(const NamedProperty& name) const
{
    auto it = m_byName.find(name);
    if (it == m_byName.end()) return std::nullopt;
    return static_cast<std::uint16_t>(kFirstNamedPropId + it->second);
}

Result<std::uint16_t> CNameIdMap::GetOrAdd(const NamedProperty& name)
{
    if (auto found = Find(name)) return *found;
    if (m_byIndex.size() >= kMaxEntries) return MakeError("name-to-id map is full");
    if (name.guid != PS_MAPI && name.guid != PS_PUBLIC_STRINGS &&
        std::find(m_guids.begin(), m_guids.end(), name.guid) == m_guids.end()) {
        if (m_guids.size() >= 0x7FFF - kFirstStreamGuid) return MakeError("name-to-id map: too many property sets");
        m_guids.push_back(name.guid);
    }
    const std::uint16_t index = static_cast<std::uint16_t>(m_byIndex.size());
    m_byIndex.push_back(name);
    m_byName.emplace(name, index);
    return static_cast<std::uint16_t>(kFirstNamedPropId + index);
}

const NamedProperty* CNameIdMap::Lookup(std::uint16_t propId) const
{
    if (propId < kFirstNamedPropId) return nullptr;
    const std::size_t index = propId - kFirstNamedPropId;
    return index < m_byIndex.size() ? &m_byIndex[index] : nullptr;
}

} // namespace mapi::ltp
