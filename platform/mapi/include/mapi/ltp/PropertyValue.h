#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "mapi/NodeContent.h"
#include "mapi/PropTags.h"

namespace mapi::ltp {

// A GUID in its on-disk byte order (Data1..3 little-endian, Data4 as is).
struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    static Guid FromParts(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::array<std::uint8_t, 8> d4);
    bool operator==(const Guid&) const = default;
    auto operator<=>(const Guid&) const = default;
};

// One typed property value in memory. The type is kept beside the data
// because several types share a C++ representation (PT_DOUBLE and
// PT_APPTIME, PT_CURRENCY and PT_LONGLONG, PT_BINARY and unknown types).
class PropertyValue {
public:
    using Data = std::variant<std::int16_t,               // PT_SHORT
                              std::int32_t,               // PT_LONG
                              std::uint32_t,              // PT_ERROR
                              bool,                       // PT_BOOLEAN
                              float,                      // PT_FLOAT
                              double,                     // PT_DOUBLE, PT_APPTIME
                              std::int64_t,               // PT_CURRENCY, PT_LONGLONG
                              std::uint64_t,              // PT_SYSTIME (FILETIME)
                              std::u16string,             // PT_UNICODE
                              std::string,                // PT_STRING8 (code page bytes)
                              Bytes,                      // PT_BINARY, PT_OBJECT, others
                              Guid,                       // PT_CLSID
                              std::vector<std::int16_t>,  // PT_MV_SHORT
                              std::vector<std::int32_t>,  // PT_MV_LONG
                              std::vector<double>,        // PT_MV_DOUBLE, PT_MV_APPTIME
                              std::vector<std::int64_t>,  // PT_MV_CURRENCY, PT_MV_LONGLONG
                              std::vector<std::uint64_t>, // PT_MV_SYSTIME
                              std::vector<Guid>,          // PT_MV_CLSID
                              std::vector<std::u16string>,// PT_MV_UNICODE
                              std::vector<std::string>,   // PT_MV_STRING8
                              std::vector<Bytes>>;        // PT_MV_BINARY

    PropertyValue() : m_type(PT_LONG), m_data(std::int32_t{0}) {}

    static PropertyValue Short(std::int16_t v) { return {PT_SHORT, v}; }
    static PropertyValue Long(std::int32_t v) { return {PT_LONG, v}; }
    static PropertyValue ErrorCode(std::uint32_t v) { return {PT_ERROR, v}; }
    static PropertyValue Boolean(bool v) { return {PT_BOOLEAN, v}; }
    static PropertyValue Float(float v) { return {PT_FLOAT, v}; }
    static PropertyValue Double(double v) { return {PT_DOUBLE, v}; }
    static PropertyValue AppTime(double v) { return {PT_APPTIME, v}; }
    static PropertyValue Currency(std::int64_t v) { return {PT_CURRENCY, v}; }
    static PropertyValue LongLong(std::int64_t v) { return {PT_LONGLONG, v}; }
    static PropertyValue SysTime(std::uint64_t fileTime) { return {PT_SYSTIME, fileTime}; }
    static PropertyValue Unicode(std::u16string v) { return {PT_UNICODE, std::move(v)}; }
    static PropertyValue String8(std::string v) { return {PT_STRING8, std::move(v)}; }
    static PropertyValue Binary(Bytes v) { return {PT_BINARY, std::move(v)}; }
    static PropertyValue Clsid(const Guid& v) { return {PT_CLSID, v}; }
    static PropertyValue MvLong(std::vector<std::int32_t> v) { return {PT_MV_LONG, std::move(v)}; }
    static PropertyValue MvSysTime(std::vector<std::uint64_t> v) { return {PT_MV_SYSTIME, std::move(v)}; }
    static PropertyValue MvUnicode(std::vector<std::u16string> v) { return {PT_MV_UNICODE, std::move(v)}; }
    static PropertyValue MvString8(std::vector<std::string> v) { return {PT_MV_STRING8, std::move(v)}; }
    static PropertyValue MvBinary(std::vector<Bytes> v) { return {PT_MV_BINARY, std::move(v)}; }
    // A value of a type this layer does not interpret, kept as its bytes.
    static PropertyValue Raw(std::uint16_t type, Bytes v) { return {type, std::move(v)}; }
    // A value from its type and data; the data must be the alternative that
    // the type names.
    static PropertyValue Make(std::uint16_t type, Data data) { return {type, std::move(data)}; }
    // An empty value of `type`: zero, false, the empty string or list.
    static PropertyValue Empty(std::uint16_t type);

    std::uint16_t Type() const { return m_type; }
    const Data& Value() const { return m_data; }

    template <class T>
    const T* Get() const { return std::get_if<T>(&m_data); }

    bool operator==(const PropertyValue&) const = default;

private:
    PropertyValue(std::uint16_t type, Data data) : m_type(type), m_data(std::move(data)) {}

    std::uint16_t m_type;
    Data m_data;
};

} // namespace mapi::ltp
