#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "tests/ui/resource_data.h"

namespace {

using resources::kJapanese;

#pragma pack(push, 2)
// One image of an icon group as stored in the resource (the .ico entry with a resource number
// in place of the file offset).
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInResource;
    WORD iconId;
};
#pragma pack(pop)

constexpr WORD kAppIcon = 128;

std::vector<GroupIconEntry> GroupEntries(const resources::ResourceData& group) {
    WORD header[3];
    if (group.size < sizeof header) {
        return {};
    }
    memcpy(header, group.bytes, sizeof header);
    const WORD count = header[2];
    if (header[1] != 1 || group.size < sizeof header + count * sizeof(GroupIconEntry)) {
        return {};
    }
    std::vector<GroupIconEntry> entries(count);
    memcpy(entries.data(), group.bytes + sizeof header, count * sizeof(GroupIconEntry));
    return entries;
}

TEST(AppIcon, ExistsInJapaneseOnly) {
    EXPECT_EQ(std::vector<LANGID>{kJapanese}, resources::LanguagesOf(RT_GROUP_ICON, kAppIcon));
}

TEST(AppIcon, HoldsA32And16PixelImageOf16Colours) {
    const auto group = resources::FindInLanguage(RT_GROUP_ICON, kAppIcon, kJapanese);
    ASSERT_TRUE(group.has_value());
    const std::vector<GroupIconEntry> entries = GroupEntries(*group);
    ASSERT_EQ(2u, entries.size());
    const int sizes[] = {32, 16};
    for (size_t i = 0; i < entries.size(); ++i) {
        const GroupIconEntry& entry = entries[i];
        SCOPED_TRACE(sizes[i]);
        EXPECT_EQ(sizes[i], entry.width);
        EXPECT_EQ(sizes[i], entry.height);
        EXPECT_EQ(16, entry.colourCount);
        EXPECT_EQ(4, entry.bitCount);

        const auto image = resources::FindInLanguage(RT_ICON, entry.iconId, kJapanese);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(entry.bytesInResource, image->size);
        ASSERT_GE(image->size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        memcpy(&header, image->bytes, sizeof header);
        EXPECT_EQ(sizes[i], header.biWidth);
        EXPECT_EQ(2 * sizes[i], header.biHeight); // colour rows and mask rows
        EXPECT_EQ(4, header.biBitCount);

        HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image->bytes), image->size, TRUE,
                                              0x00030000, sizes[i], sizes[i], 0);
        EXPECT_NE(nullptr, icon);
        DestroyIcon(icon);
    }
}

// The program asks for the icon by number alone; it must come even when the user's language is
// English, for which there is no copy.
TEST(AppIcon, LoadsByNumberInAnyLanguage) {
    for (int size : {32, 16}) {
        SCOPED_TRACE(size);
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAppIcon), IMAGE_ICON,
                                 size, size, 0);
        EXPECT_NE(nullptr, icon);
        DestroyIcon(static_cast<HICON>(icon));
    }
}

} // namespace
