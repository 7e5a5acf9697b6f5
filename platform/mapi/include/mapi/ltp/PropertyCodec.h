#pragma once

#include <cstddef>
#include <cstdint>

#include "mapi/ltp/LtpResult.h"
#include "mapi/ltp/PropertyValue.h"

// The stored form of property values ([MS-PST] 2.3.3.4, [MS-OXCDATA] 2.11):
// fixed-size types as their little-endian bytes, strings without terminator
// (PT_UNICODE as UTF-16LE), multi-valued fixed types as packed arrays and
// multi-valued variable types as ulCount, rgulDataOffsets[ulCount], data.
namespace mapi::ltp {

// Size of a fixed-size type, 0 for a variable-size one.
std::size_t FixedValueSize(std::uint16_t type);
// True for the types whose value fits in 4 bytes and is stored in place of
// an HNID (in a PC record) or in the row itself.
bool IsInlineType(std::uint16_t type);

Bytes EncodeValue(const PropertyValue& value);
// The stored form of a value of a fixed-size type of at most 8 bytes, into
// `out`, without allocating: its size, or 0 for any other type.
std::size_t EncodeSmallFixed(const PropertyValue& value, std::uint8_t (&out)[8]);
// EncodeValue(value).size(), without encoding where the size is known.
std::size_t EncodedValueSize(const PropertyValue& value);
Result<PropertyValue> DecodeValue(std::uint16_t type, const Bytes& bytes);

// UTF-16LE bytes of a string and back; an odd trailing byte is dropped.
Bytes Utf16Bytes(const std::u16string& s);
std::u16string Utf16FromBytes(const std::uint8_t* p, std::size_t size);

} // namespace mapi::ltp
