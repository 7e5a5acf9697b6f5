// Little-endian byte writer and bounds-checked reader for the value blobs of
// the database file. The reader never reads past its end: a short or damaged
// blob sets the failed flag and every further read returns zero.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace notes::format {

class ByteWriter {
public:
    void U8(std::uint8_t value);
    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void I64(std::int64_t value);
    void F64(double value);
    // A byte string preceded by its length as a 32-bit count.
    void Bytes32(std::string_view bytes);
    const std::string& Data() const { return m_data; }
    std::string Take() { return std::move(m_data); }

private:
    std::string m_data;
};

class ByteReader {
public:
    explicit ByteReader(std::string_view data) : m_data(data) {}
    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::int64_t I64();
    double F64();
    std::string Bytes32();
    // The same bytes as a view of the blob, for a caller that copies them
    // into a string it already has.
    std::string_view Bytes32View();
    bool Failed() const { return m_failed; }
    bool AtEnd() const { return m_offset == m_data.size(); }
    // A count read from the blob that claims more entries than the remaining
    // bytes could hold (each at least minBytes) fails the reader.
    bool CheckCount(std::uint32_t count, std::size_t minBytes);

private:
    bool Need(std::size_t bytes);
    std::string_view m_data;
    std::size_t m_offset = 0;
    bool m_failed = false;
};

} // namespace notes::format
