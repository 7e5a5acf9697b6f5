// rand and srand as the C runtime of Windows has them: a linear
// congruential generator whose 32-bit state belongs to the calling thread
// and starts at 1, so that a program that never seeds it draws the same
// numbers in every run. The host's own rand follows another generator.
#pragma once

namespace crt {

// The largest value rand returns.
constexpr int RAND_MAX_VALUE = 0x7FFF;

// state = state * 214013 + 2531011 (modulo 2^32); the result is bits 16..30.
int rand();
// Sets the calling thread's state.
void srand(unsigned int seed);

} // namespace crt
