#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "diag/utility/word_tools.h"

namespace {

// The words a fill must produce after srand(seed): the low 16 bits of each rand(), low byte first.
std::vector<uint8_t> ExpectedWords(unsigned seed, unsigned wordCount) {
    srand(seed);
    std::vector<uint8_t> bytes;
    for (unsigned i = 0; i < wordCount; ++i) {
        const unsigned value = static_cast<unsigned>(rand());
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    return bytes;
}

std::vector<uint32_t> AsWords(const std::vector<uint8_t>& bytes) {
    std::vector<uint32_t> words((bytes.size() + 3) / 4);
    memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

struct SumCase {
    const char* name;
    std::vector<uint8_t> bytes;
    unsigned byteCount;
    uint32_t expected;
};

TEST(SumWords32, AddsLittleEndianWordsModulo2To32) {
    const SumCase cases[] = {
        {"no words", {0xAA, 0xAA, 0xAA, 0xAA}, 0, 0},
        {"words are little-endian", {0x78, 0x56, 0x34, 0x12}, 4, 0x12345678},
        {"1 + FFFFFFFF wraps to 0", {0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, 8, 0},
        {"carry out of bit 31 is lost", {0, 0, 0, 0x80, 0, 0, 0, 0x80, 0x05, 0, 0, 0}, 12, 5},
        {"words past the count are not read", {0x01, 0, 0, 0, 0x02, 0, 0, 0, 0x04, 0, 0, 0}, 8, 3},
    };
    for (const SumCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint32_t> words = AsWords(c.bytes);
        EXPECT_EQ(c.expected, SumWords32(words.data(), c.byteCount));
    }
}

constexpr uint8_t UNTOUCHED = 0xCC;
constexpr unsigned TEST_SEED = 20240607;

struct FillCase {
    unsigned byteCount;
    unsigned wordsWritten;
};

TEST(FillRandomWords, WithoutSeedingWritesTheGeneratorsNextWordsAndNothingAfterThem) {
    // An odd count is outside the contract; the fill then keeps to whole words inside the buffer.
    const FillCase cases[] = {{0, 0}, {2, 1}, {6, 3}, {5, 2}, {16, 8}};
    for (const FillCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "byte count " << c.byteCount);
        const std::vector<uint8_t> expected = ExpectedWords(TEST_SEED, c.wordsWritten + 1);
        std::vector<uint8_t> buffer(24, UNTOUCHED);

        srand(TEST_SEED);
        FillRandomWords(buffer.data(), c.byteCount, 0);
        const unsigned nextValue = static_cast<unsigned>(rand());

        const unsigned written = 2 * c.wordsWritten;
        EXPECT_EQ(std::vector<uint8_t>(expected.begin(), expected.begin() + written),
                  std::vector<uint8_t>(buffer.begin(), buffer.begin() + written));
        EXPECT_EQ(std::vector<uint8_t>(buffer.size() - written, UNTOUCHED),
                  std::vector<uint8_t>(buffer.begin() + written, buffer.end()));
        // One rand() per word: the generator continues right after the last word written.
        EXPECT_EQ(expected[written] | (expected[written + 1] << 8), nextValue & 0xFFFF);
    }
}

TEST(FillRandomWords, SeedFlagSeedsWithTheCurrentTimeInSeconds) {
    constexpr unsigned byteCount = 8;
    std::vector<uint8_t> buffer(byteCount);
    time_t before = 0;
    time_t after = 0;
    // The second may turn during the fill; then the seed is unknown and the fill is repeated.
    for (int attempt = 0; attempt < 5 && (attempt == 0 || before != after); ++attempt) {
        srand(1); // a state that differs from any time seed, so that a missing seed would show
        before = time(nullptr);
        FillRandomWords(buffer.data(), byteCount, 1);
        after = time(nullptr);
    }
    ASSERT_EQ(before, after);
    EXPECT_EQ(ExpectedWords(static_cast<unsigned>(before), byteCount / 2), buffer);
}

} // namespace
