#pragma once

#include <cstdint>

#include "mapi/NodeContent.h"
#include "mapi/ltp/HeapOnNode.h"

// Values that an LTP structure keeps by HNID: in its heap when they fit in
// one heap item, otherwise in a subnode of its node ([MS-PST] 2.3.3.2).
namespace mapi::ltp {

// NID type of the subnodes that hold LTP values.
constexpr std::uint32_t kNidTypeLtp = 0x1F;
constexpr std::uint32_t MakeLtpNid(std::uint32_t index) { return (index << 5) | kNidTypeLtp; }

// The bytes a non-zero HNID names; an HNID of 0 is an empty value.
Result<Bytes> ReadHnid(const CHeapOnNode& heap, const NodeContent& node, std::uint32_t hnid);

// Stores `data` and returns its HNID: 0 for empty data, a HID when it fits
// in the heap, else a new subnode of `node` with the next free LTP NID.
Result<std::uint32_t> StoreHnid(CHeapOnNode& heap, NodeContent& node, Bytes data);
// Frees what StoreHnid stored.
Result<void> FreeHnid(CHeapOnNode& heap, NodeContent& node, std::uint32_t hnid);

// Splits a stream into data blocks of at most 8176 bytes and back.
std::vector<Bytes> SplitIntoBlocks(const Bytes& data);
Bytes JoinBlocks(const std::vector<Bytes>& blocks);

} // namespace mapi::ltp
