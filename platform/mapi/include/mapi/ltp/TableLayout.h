#pragma once

#include <cstddef>
#include <cstdint>

// On-disk layout of the table context ([MS-PST] 2.3.4).
namespace mapi::ltp::table {

// TCINFO, the heap's user root (22 bytes + 8 per column):
//   bType 1 (kClientTableContext), cCols 1,
//   rgib 4 x 2: end offsets of the 4/8-byte, 2-byte and 1-byte cells, and the
//               row size (the cell existence bitmap ends the row),
//   hidRowIndex 4 (the row index BTH), hnidRows 4 (the row matrix: 0, a HID
//   or a subnode NID), hidIndex 4 (deprecated, 0), rgTCOLDESC.
constexpr std::size_t kTcInfoFixedSize = 22;
constexpr std::size_t kTci4b = 0;
constexpr std::size_t kTci2b = 1;
constexpr std::size_t kTci1b = 2;
constexpr std::size_t kTciBm = 3;

// TCOLDESC (8 bytes): tag 4, ibData 2 (cell offset in the row), cbData 1
// (cell size), iBit 1 (bit of the cell in the existence bitmap).
constexpr std::size_t kColDescSize = 8;

// Row index BTH: key dwRowID (4 bytes), data dwRowIndex (4 bytes).
constexpr std::uint8_t kRowIdSize = 4;
constexpr std::uint8_t kRowIndexSize = 4;

} // namespace mapi::ltp::table
