#include "mapi/ltp/PropertyCodec.h"

#include <bit>
#include <cstring>
#include <string>

#include "mapi/ltp/LittleEndian.h"

namespace mapi::ltp {

namespace {

template <class T>
Bytes PackFixed(const std::vector<T>& values, void (*put)(Bytes&, const T&))
{
    Bytes out;
    for (const T& v : values) put(out, v);
    return out;
}

template <class T>
Bytes PackVariable(const std::vector<T>& values, Bytes (*bytesOf)(const T&))
{
    Bytes out;
    AppendU32(out, static_cast<std::uint32_t>(values.size()));
    std::size_t offset = 4 + 4 * values.size();
    std::vector<Bytes> parts;
    for (const T& v : values) {
        parts.push_back(bytesOf(v));
        AppendU32(out, static_cast<std::uint32_t>(offset));
        offset += parts.back().size();
    }
    for (const Bytes& part : parts) AppendBytes(out, part);
    return out;
}

Bytes StringBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes UnicodeBytes(const std::u16string& s) { return Utf16Bytes(s); }
Bytes SameBytes(const Bytes& b) { return b; }

// The elements of a multi-valued variable-size value, bounds checked.
Result<std::vector<Bytes>> UnpackVariable(const Bytes& bytes)
{
    if (bytes.empty()) return std::vector<Bytes>{};
    if (bytes.size() < 4) return MakeError("multi-valued property of " + std::to_string(bytes.size()) + " bytes");
    const std::size_t count = ReadU32(bytes.data());
    if (count > (bytes.size() - 4) / 4)
        return MakeError("multi-valued property claims " + std::to_string(count) + " values in " +
                         std::to_string(bytes.size()) + " bytes");
    std::vector<Bytes> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t start = ReadU32(&bytes[4 + 4 * i]);
        const std::size_t end = i + 1 < count ? ReadU32(&bytes[4 + 4 * (i + 1)]) : bytes.size();
        if (start < 4 + 4 * count || end < start || end > bytes.size())
            return MakeError("multi-valued property value " + std::to_string(i) + " has a bad offset");
        out.emplace_back(bytes.begin() + start, bytes.begin() + end);
    }
    return out;
}

Result<void> CheckMultiple(const Bytes& bytes, std::size_t size, std::uint16_t type)
{
    if (bytes.size() % size != 0)
        return MakeError("multi-valued property of type " + std::to_string(type) + " has " +
                         std::to_string(bytes.size()) + " bytes, not a multiple of " + std::to_string(size));
    return {};
}

Guid GuidAt(const std::uint8_t* p)
{
    Guid g;
    for (int i = 0; i < 16; ++i) g.bytes[i] = p[i];
    return g;
}

} // namespace

std::size_t FixedValueSize(std::uint16_t type)
{
    switch (type) {
    case PT_SHORT: return 2;
    case PT_LONG:
    case PT_FLOAT:
    case PT_ERROR: return 4;
    case PT_BOOLEAN: return 1;
    case PT_DOUBLE:
    case PT_APPTIME:
    case PT_CURRENCY:
    case PT_LONGLONG:
    case PT_SYSTIME: return 8;
    case PT_CLSID: return 16;
    default: return 0;
    }
}

bool IsInlineType(std::uint16_t type)
{
    const std::size_t size = FixedValueSize(type);
    return size > 0 && size <= 4;
}

Bytes Utf16Bytes(const std::u16string& s)
{
    // On a little-endian host the string's memory is already the file's form.
    if constexpr (std::endian::native == std::endian::little) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(s.data());
        return Bytes(bytes, bytes + s.size() * 2);
    }
    Bytes out;
    out.reserve(s.size() * 2);
    for (char16_t c : s) AppendU16(out, static_cast<std::uint16_t>(c));
    return out;
}

std::u16string Utf16FromBytes(const std::uint8_t* p, std::size_t size)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::u16string s(size / 2, u'\0');
        if (!s.empty()) std::memcpy(s.data(), p, s.size() * 2);
        return s;
    }
    std::u16string s;
    s.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) s.push_back(static_cast<char16_t>(ReadU16(p + i)));
    return s;
}

std::size_t EncodeSmallFixed(const PropertyValue& value, std::uint8_t (&out)[8])
{
    const auto& data = value.Value();
    auto put = [&out](std::uint64_t v, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(v >> (8 * i));
        return size;
    };
    switch (value.Type()) {
    case PT_SHORT: return put(static_cast<std::uint16_t>(std::get<std::int16_t>(data)), 2);
    case PT_LONG: return put(static_cast<std::uint32_t>(std::get<std::int32_t>(data)), 4);
    case PT_ERROR: return put(std::get<std::uint32_t>(data), 4);
    case PT_BOOLEAN: return put(std::get<bool>(data) ? 1 : 0, 1);
    case PT_FLOAT: return put(FloatBits(std::get<float>(data)), 4);
    case PT_DOUBLE:
    case PT_APPTIME: return put(DoubleBits(std::get<double>(data)), 8);
    case PT_CURRENCY:
    case PT_LONGLONG: return put(static_cast<std::uint64_t>(std::get<std::int64_t>(data)), 8);
    case PT_SYSTIME: return put(std::get<std::uint64_t>(data), 8);
    default: return 0;
    }
}

std::size_t EncodedValueSize(const PropertyValue& value)
{
    const auto& data = value.Value();
    switch (value.Type()) {
    case PT_UNICODE: return std::get<std::u16string>(data).size() * 2;
    case PT_STRING8: return std::get<std::string>(data).size();
    case PT_CLSID: return 16;
    case PT_BINARY: return std::get<Bytes>(data).size();
    default: break;
    }
    std::uint8_t fixed[8];
    if (const std::size_t size = EncodeSmallFixed(value, fixed)) return size;
    return EncodeValue(value).size();
}

Bytes EncodeValue(const PropertyValue& value)
{
    std::uint8_t fixed[8];
    if (const std::size_t size = EncodeSmallFixed(value, fixed)) return Bytes(fixed, fixed + size);
    Bytes out;
    const auto& data = value.Value();
    switch (value.Type()) {
    case PT_UNICODE: out = Utf16Bytes(std::get<std::u16string>(data)); break;
    case PT_STRING8: out = StringBytes(std::get<std::string>(data)); break;
    case PT_CLSID: out.assign(std::get<Guid>(data).bytes.begin(), std::get<Guid>(data).bytes.end()); break;
    case PT_MV_SHORT:
        out = PackFixed<std::int16_t>(std::get<std::vector<std::int16_t>>(data),
                                      [](Bytes& o, const std::int16_t& v) { AppendU16(o, static_cast<std::uint16_t>(v)); });
        break;
    case PT_MV_LONG:
        out = PackFixed<std::int32_t>(std::get<std::vector<std::int32_t>>(data),
                                      [](Bytes& o, const std::int32_t& v) { AppendU32(o, static_cast<std::uint32_t>(v)); });
        break;
    case PT_MV_DOUBLE:
    case PT_MV_APPTIME:
        out = PackFixed<double>(std::get<std::vector<double>>(data),
                                [](Bytes& o, const double& v) { AppendU64(o, DoubleBits(v)); });
        break;
    case PT_MV_CURRENCY:
    case PT_MV_LONGLONG:
        out = PackFixed<std::int64_t>(std::get<std::vector<std::int64_t>>(data),
                                      [](Bytes& o, const std::int64_t& v) { AppendU64(o, static_cast<std::uint64_t>(v)); });
        break;
    case PT_MV_SYSTIME:
        out = PackFixed<std::uint64_t>(std::get<std::vector<std::uint64_t>>(data),
                                       [](Bytes& o, const std::uint64_t& v) { AppendU64(o, v); });
        break;
    case PT_MV_CLSID:
        out = PackFixed<Guid>(std::get<std::vector<Guid>>(data),
                              [](Bytes& o, const Guid& g) { o.insert(o.end(), g.bytes.begin(), g.bytes.end()); });
        break;
    case PT_MV_UNICODE: out = PackVariable<std::u16string>(std::get<std::vector<std::u16string>>(data), UnicodeBytes); break;
    case PT_MV_STRING8: out = PackVariable<std::string>(std::get<std::vector<std::string>>(data), StringBytes); break;
    case PT_MV_BINARY: out = PackVariable<Bytes>(std::get<std::vector<Bytes>>(data), SameBytes); break;
    default: out = std::get<Bytes>(data); break;
    }
    return out;
}

Result<PropertyValue> DecodeValue(std::uint16_t type, const Bytes& bytes)
{
    const std::size_t fixed = FixedValueSize(type);
    // Inline values arrive as the 4 bytes of their slot; take the low ones.
    if (fixed > 0 && bytes.size() < fixed)
        return MakeError("property of type " + std::to_string(type) + " has " + std::to_string(bytes.size()) +
                         " bytes, needs " + std::to_string(fixed));
    const std::uint8_t* p = bytes.data();
    switch (type) {
    case PT_SHORT: return PropertyValue::Short(static_cast<std::int16_t>(ReadU16(p)));
    case PT_LONG: return PropertyValue::Long(static_cast<std::int32_t>(ReadU32(p)));
    case PT_ERROR: return PropertyValue::ErrorCode(ReadU32(p));
    case PT_BOOLEAN: return PropertyValue::Boolean(p[0] != 0);
    case PT_FLOAT: return PropertyValue::Float(BitsFloat(ReadU32(p)));
    case PT_DOUBLE: return PropertyValue::Double(BitsDouble(ReadU64(p)));
    case PT_APPTIME: return PropertyValue::AppTime(BitsDouble(ReadU64(p)));
    case PT_CURRENCY: return PropertyValue::Currency(static_cast<std::int64_t>(ReadU64(p)));
    case PT_LONGLONG: return PropertyValue::LongLong(static_cast<std::int64_t>(ReadU64(p)));
    case PT_SYSTIME: return PropertyValue::SysTime(ReadU64(p));
    case PT_CLSID: return PropertyValue::Clsid(GuidAt(p));
    case PT_UNICODE: return PropertyValue::Unicode(Utf16FromBytes(p, bytes.size()));
    case PT_STRING8: return PropertyValue::String8(std::string(bytes.begin(), bytes.end()));
    case PT_BINARY: return PropertyValue::Binary(bytes);
    default: break;
    }

    if (type & MV_FLAG) {
        const std::uint16_t base = static_cast<std::uint16_t>(type & ~MV_FLAG);
        const std::size_t size = FixedValueSize(base);
        if (size > 0) {
            auto checked = CheckMultiple(bytes, size, type);
            if (!checked) return checked.TakeError();
            const std::size_t count = bytes.size() / size;
            switch (base) {
            case PT_SHORT: {
                std::vector<std::int16_t> v;
                for (std::size_t i = 0; i < count; ++i) v.push_back(static_cast<std::int16_t>(ReadU16(p + 2 * i)));
                return PropertyValue::Make(type, std::move(v));
            }
            case PT_LONG: {
                std::vector<std::int32_t> v;
                for (std::size_t i = 0; i < count; ++i) v.push_back(static_cast<std::int32_t>(ReadU32(p + 4 * i)));
                return PropertyValue::Make(type, std::move(v));
            }
            case PT_DOUBLE:
            case PT_APPTIME: {
                std::vector<double> v;
                for (std::size_t i = 0; i < count; ++i) v.push_back(BitsDouble(ReadU64(p + 8 * i)));
                return PropertyValue::Make(type, std::move(v));
            }
            case PT_CURRENCY:
            case PT_LONGLONG: {
                std::vector<std::int64_t> v;
                for (std::size_t i = 0; i < count; ++i) v.push_back(static_cast<std::int64_t>(ReadU64(p + 8 * i)));
                return PropertyValue::Make(type, std::move(v));
            }
            case PT_SYSTIME: {
                std::vector<std::uint64_t> v;
                for (std::size_t i = 0; i < count; ++i) v.push_back(ReadU64(p + 8 * i));
                return PropertyValue::Make(type, std::move(v));
            }
            case PT_CLSID: {
                std::vector<Guid> v;
                for (std::size_t i = 0; i < count; ++i) v.push_back(GuidAt(p + 16 * i));
                return PropertyValue::Make(type, std::move(v));
            }
            default: break;
            }
        } else if (base == PT_UNICODE || base == PT_STRING8 || base == PT_BINARY) {
            auto parts = UnpackVariable(bytes);
            if (!parts) return parts.TakeError();
            if (base == PT_BINARY) return PropertyValue::MvBinary(std::move(parts.Value()));
            if (base == PT_STRING8) {
                std::vector<std::string> v;
                for (const Bytes& part : parts.Value()) {
                    std::string s(part.begin(), part.end());
                    if (!s.empty() && s.back() == '\0') s.pop_back();
                    v.push_back(std::move(s));
                }
                return PropertyValue::MvString8(std::move(v));
            }
            std::vector<std::u16string> v;
            for (const Bytes& part : parts.Value()) {
                std::u16string s = Utf16FromBytes(part.data(), part.size());
                if (!s.empty() && s.back() == u'\0') s.pop_back();
                v.push_back(std::move(s));
            }
            return PropertyValue::MvUnicode(std::move(v));
        }
    }
    return PropertyValue::Raw(type, bytes);
}

} // namespace mapi::ltp
