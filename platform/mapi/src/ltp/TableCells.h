#pragma once

#include <cstdint>
#include <string>

#include "mapi/ltp/LittleEndian.h"
#include "mapi/ltp/PropertyCodec.h"
#include "mapi/ltp/TableContext.h"

// Cell helpers shared by the table context's layout and row code.
namespace mapi::ltp::table {

// The size of a column's cell: fixed-size values up to 8 bytes in the row,
// everything else as a 4-byte HNID.
inline std::uint8_t CellSize(std::uint16_t type)
{
    const std::size_t fixed = FixedValueSize(type);
    if (fixed > 0 && fixed <= 8) return static_cast<std::uint8_t>(fixed);
    return 4;
}

inline bool CellHoldsValue(const TableColumn& c)
{
    const std::size_t fixed = FixedValueSize(PROP_TYPE(c.tag));
    return fixed > 0 && fixed <= 8 && fixed == c.cbData;
}

inline std::string ColumnText(const TableColumn& c)
{
    static const char* digits = "0123456789ABCDEF";
    std::string s = "column 0x";
    for (int shift = 28; shift >= 0; shift -= 4) s += digits[(c.tag >> shift) & 0xF];
    return s;
}

} // namespace mapi::ltp::table
