// The contract between the node database and the layers above it.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

namespace mapi {
using Bytes = std::vector<std::uint8_t>;
// The data of one node as the LTP layer sees it: its data blocks in order
// (each at most 8176 bytes, the payload of one data block; a node whose data
// spans several blocks is stored through an XBLOCK/XXBLOCK), and its subnodes.
struct NodeContent {
    std::vector<Bytes> blocks;
    std::map<std::uint32_t, NodeContent> subnodes; // by subnode NID

    bool operator==(const NodeContent&) const = default;
};
}
