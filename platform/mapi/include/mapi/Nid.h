// Node identifiers ([MS-PST] 2.2.2.1, 2.4.1): the low 5 bits are the type,
// the upper 27 bits the index.
#pragma once

#include <cstdint>

namespace mapi {

using Nid = std::uint32_t;

namespace NidType {
inline constexpr std::uint8_t HID = 0x00;
inline constexpr std::uint8_t Internal = 0x01;
inline constexpr std::uint8_t NormalFolder = 0x02;
inline constexpr std::uint8_t SearchFolder = 0x03;
inline constexpr std::uint8_t NormalMessage = 0x04;
inline constexpr std::uint8_t Attachment = 0x05;
inline constexpr std::uint8_t SearchUpdateQueue = 0x06;
inline constexpr std::uint8_t SearchCriteriaObject = 0x07;
inline constexpr std::uint8_t AssocMessage = 0x08;
inline constexpr std::uint8_t ContentsTableIndex = 0x0A;
inline constexpr std::uint8_t ReceiveFolderTable = 0x0B;
inline constexpr std::uint8_t OutgoingQueueTable = 0x0C;
inline constexpr std::uint8_t HierarchyTable = 0x0D;
inline constexpr std::uint8_t ContentsTable = 0x0E;
inline constexpr std::uint8_t AssocContentsTable = 0x0F;
inline constexpr std::uint8_t SearchContentsTable = 0x10;
inline constexpr std::uint8_t AttachmentTable = 0x11;
inline constexpr std::uint8_t RecipientTable = 0x12;
inline constexpr std::uint8_t SearchTableIndex = 0x13;
inline constexpr std::uint8_t Ltp = 0x1F;
} // namespace NidType

// The special internal NIDs of [MS-PST] 2.4.1.
namespace SpecialNid {
inline constexpr Nid MessageStore = 0x21;
inline constexpr Nid NameToIdMap = 0x61;
inline constexpr Nid NormalFolderTemplate = 0xA1;
inline constexpr Nid SearchFolderTemplate = 0xC1;
inline constexpr Nid RootFolder = 0x122;
inline constexpr Nid SearchManagementQueue = 0x1E1;
inline constexpr Nid SearchActivityList = 0x201;
inline constexpr Nid Reserved1 = 0x241;
inline constexpr Nid SearchDomainObject = 0x261;
inline constexpr Nid SearchGathererQueue = 0x281;
inline constexpr Nid SearchGathererDescriptor = 0x2A1;
inline constexpr Nid Reserved2 = 0x2E1;
inline constexpr Nid Reserved3 = 0x301;
inline constexpr Nid SearchGathererFolderQueue = 0x321;
inline constexpr Nid HierarchyTableTemplate = 0x60D;
inline constexpr Nid ContentsTableTemplate = 0x60E;
inline constexpr Nid AssocContentsTableTemplate = 0x60F;
inline constexpr Nid SearchContentsTableTemplate = 0x610;
inline constexpr Nid AttachmentTableTemplate = 0x671;
inline constexpr Nid RecipientTableTemplate = 0x692;
} // namespace SpecialNid

constexpr std::uint8_t NidTypeOf(Nid nid) { return static_cast<std::uint8_t>(nid & 0x1F); }
constexpr std::uint32_t NidIndexOf(Nid nid) { return nid >> 5; }
constexpr Nid MakeNid(std::uint8_t type, std::uint32_t index) { return (index << 5) | (type & 0x1F); }

} // namespace mapi
