#include <gtest/gtest.h>

#include <cstring>

#include "discovery/oem_id.h"

namespace {

// The identification reply as discovery hands it over: the text from byte 16, ended at byte 48.
struct Reply {
    char bytes[49] = {};
    Reply& Put(int offset, const char* text) {
        std::memcpy(bytes + offset, text, std::strlen(text));
        return *this;
    }
    const char* Text() const { return bytes + 16; }
};

TEST(FindOemId, FindsTheCodeWhereverItStartsUnlessANulComesFirst) {
    const struct {
        const char* name;
        Reply reply;
        int expected;
    } cases[] = {
        {"at byte 16", Reply().Put(16, "0068ORVEDT  XRW "), 1},
        {"at byte 30", Reply().Put(16, "ABCDEFGHIJKLMN").Put(30, "0068ORVEDT  "), 1},
        {"NUL at byte 20 before it", Reply().Put(16, "ABCD").Put(30, "0068ORVEDT  "), 0},
        {"only one trailing space", Reply().Put(16, "0068ORVEDT ").Put(27, "X"), 0},
        {"lower case", Reply().Put(16, "0068orvedt  "), 0},
        {"another maker's code", Reply().Put(16, "0012OTHRCD  "), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, FindOemId(c.reply.Text()));
    }
}

} // namespace
