#pragma once
// Word-sized fills and sums over memory buffers.

#include <cstdint>

// Stores the low 16 bits of one rand() value, little-endian, at each even byte offset of the
// buffer. A non-zero seed flag first seeds the generator with the current time in seconds; with 0
// the sequence continues from the generator's present state. byteCount must be even.
void FillRandomWords(uint8_t* buffer, unsigned byteCount, int seed);

// The sum of the 32-bit words in the first byteCount bytes, modulo 2^32. byteCount must be a
// multiple of 4.
uint32_t SumWords32(const uint32_t* words, unsigned byteCount);
