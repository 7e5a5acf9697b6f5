#include "win32/CrtRandom.h"

#include <cstdint>

namespace crt {

namespace {

thread_local std::uint32_t t_state = 1;

} // namespace

int rand()
{
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFF);
}

void srand(unsigned int seed)
{
    t_state = seed;
}

} // namespace crt
