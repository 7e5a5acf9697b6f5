// The numbers of the C runtime's generator, worked out from its formula
// rather than taken from the platform, for the expected faces.
#pragma once

#include <cstdint>
#include <vector>

// The first count numbers from state 1.
inline std::vector<int> DrawsFromOne(std::size_t count)
{
    std::vector<int> draws;
    std::uint32_t state = 1;
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 214013u + 2531011u;
        draws.push_back(static_cast<int>((state >> 16) & 0x7FFF));
    }
    return draws;
}
