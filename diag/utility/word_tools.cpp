#include "word_tools.h"

#include <cstdlib>
#include <ctime>

void FillRandomWords(uint8_t* buffer, unsigned byteCount, int seed) {
    if (seed != 0)
        srand(static_cast<unsigned>(time(nullptr)));
    // Whole words only: an odd count must not write one byte past the buffer.
    for (unsigned offset = 0; offset + 2 <= byteCount; offset += 2) {
        const unsigned value = static_cast<unsigned>(rand());
        buffer[offset] = static_cast<uint8_t>(value);
        buffer[offset + 1] = static_cast<uint8_t>(value >> 8);
    }
}

uint32_t SumWords32(const uint32_t* words, unsigned byteCount) {
    uint32_t sum = 0;
    // Stops on a partial last word instead of counting down past 0 forever.
    for (; byteCount >= 4; byteCount -= 4)
        sum += *words++;
    return sum;
}
