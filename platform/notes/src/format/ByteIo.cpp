#include "notes/format/ByteIo.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace notes::format {

void ByteWriter::U8(std::uint8_t value)
{
    m_data.push_back(static_cast<char>(value));
}

void ByteWriter::U16(std::uint16_t value)
{
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::U32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        U8(static_cast<std::uint8_t>(value >> shift));
}

void ByteWriter::I64(std::int64_t value)
{
    auto bits = static_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8)
        U8(static_cast<std::uint8_t>(bits >> shift));
}

void ByteWriter::F64(double value)
{
    I64(static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(value)));
}

void ByteWriter::Bytes32(std::string_view bytes)
{
    U32(static_cast<std::uint32_t>(bytes.size()));
    m_data.append(bytes);
}

bool ByteReader::Need(std::size_t bytes)
{
    if (m_failed || m_data.size() - m_offset < bytes) {
        m_failed = true;
        return false;
    }
    return true;
}

std::uint8_t ByteReader::U8()
{
    if (!Need(1))
        return 0;
    return static_cast<std::uint8_t>(m_data[m_offset++]);
}

namespace {

// The little-endian value at bytes, loaded at once.
template <typename T>
T LittleEndian(const char* bytes)
{
    unsigned char ordered[sizeof(T)];
    std::memcpy(ordered, bytes, sizeof ordered);
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(std::begin(ordered), std::end(ordered));
    T value;
    std::memcpy(&value, ordered, sizeof value);
    return value;
}

} // namespace

// Each field is read with one check of the bytes left: a rich text item is
// mostly such fields.
std::uint16_t ByteReader::U16()
{
    if (!Need(2))
        return 0;
    m_offset += 2;
    return LittleEndian<std::uint16_t>(m_data.data() + m_offset - 2);
}

std::uint32_t ByteReader::U32()
{
    if (!Need(4))
        return 0;
    m_offset += 4;
    return LittleEndian<std::uint32_t>(m_data.data() + m_offset - 4);
}

std::int64_t ByteReader::I64()
{
    if (!Need(8))
        return 0;
    m_offset += 8;
    return static_cast<std::int64_t>(LittleEndian<std::uint64_t>(m_data.data() + m_offset - 8));
}

double ByteReader::F64()
{
    return std::bit_cast<double>(static_cast<std::uint64_t>(I64()));
}

std::string ByteReader::Bytes32()
{
    return std::string(Bytes32View());
}

std::string_view ByteReader::Bytes32View()
{
    std::uint32_t length = U32();
    if (!Need(length))
        return {};
    std::string_view bytes = m_data.substr(m_offset, length);
    m_offset += length;
    return bytes;
}

bool ByteReader::CheckCount(std::uint32_t count, std::size_t minBytes)
{
    if (m_failed)
        return false;
    if (minBytes != 0 && count > (m_data.size() - m_offset) / minBytes)
        m_failed = true;
    return !m_failed;
}

} // namespace notes::format
