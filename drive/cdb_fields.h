#pragma once
// Writers for the multi-byte fields of a command descriptor block: most significant byte first,
// each cut to the width of its field.

#include <cstdint>

inline void PutBigEndian16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 8);
    at[1] = static_cast<uint8_t>(value);
}

inline void PutBigEndian24(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 16);
    PutBigEndian16(at + 1, value);
}

inline void PutBigEndian32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value >> 24);
    PutBigEndian24(at + 1, value);
}
