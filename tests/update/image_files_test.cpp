#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/test_folder.h"
#include "update/image_files.h"

namespace {

TEST(IsUpdateNeeded, VersionTextDecidesByNumberAndEqualTextByDate) {
    const struct {
        const char* driveRevision;
        const char* driveDate;
        const char* fileVersion;
        const char* fileDate;
        bool expected;
    } cases[] = {
        {"1.00", "061107", "1.01", "000101", true},  // newer file: dates not looked at
        {"1.02", "000101", "1.01", "061107", false}, // older file
        {"1.01", "061030", "1.01", "061107", true},  // same version, older drive date
        {"1.01", "061107", "1.01", "061107", false}, // same date is up to date
        {"1.01", "061201", "1.01", "061107", false},
        {"1.0 ", "000101", "1.00", "061107", false}, // texts differ, numbers equal
        {"0000", "000000", "0.01", "061107", true},
        {"0000", "000000", "0000", "061107", true}, // same text: the date decides
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.driveRevision) + " " + c.driveDate + " vs " + c.fileVersion +
                     " " + c.fileDate);
        EXPECT_EQ(c.expected,
                  IsUpdateNeeded(c.driveRevision, c.driveDate, c.fileVersion, c.fileDate));
    }
}

TEST(DateDigits, ComeFromTheDigitPositionsOfTheDateText) {
    char digits[DATE_DIGITS_LENGTH + 1];
    DateDigitsOfText("06/11/07", digits);
    EXPECT_STREQ("061107", digits);

    uint8_t inquiry[254] = {};
    std::memcpy(inquiry + 36, " 06/03/20", 9);
    DateDigitsOfInquiry(inquiry, digits);
    EXPECT_STREQ("060320", digits);
}

TEST(DeriveSubImagePath, ReplacesOneCharacterCountedFromTheEnd) {
    char path[IMAGE_PATH_BUFFER_SIZE] = "C:\\fw\\Q4830251.520";
    DeriveSubImagePath(path);
    EXPECT_STREQ("C:\\fw\\Q4830051.520", path);
    char rootPath[IMAGE_PATH_BUFFER_SIZE] = "D:\\\\Q4830251.520";
    DeriveSubImagePath(rootPath);
    EXPECT_STREQ("D:\\\\Q4830051.520", rootPath);
}

// Each test works in a directory of its own, made current for the test.
class ImageFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(current_.Entered()); }

    void WriteMainImage(size_t size) {
        std::vector<char> bytes(size, 0);
        if (size >= IMAGE_HEADER_END) {
            std::memcpy(&bytes[IMAGE_VERSION_OFFSET], "1.52", 4);
            std::memcpy(&bytes[IMAGE_DATE_OFFSET], "06/11/07", 8);
        }
        HANDLE file =
            CreateFileA(MAIN_IMAGE_NAME, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), DWORD(size), &written, nullptr);
        CloseHandle(file);
    }

    TestFolder folder_{"image_files"};
    ScopedCurrentDirectory current_{folder_.Path()};
};

TEST_F(ImageFolder, LocateMainImageNamesTheFileInTheCurrentDirectory) {
    char path[IMAGE_PATH_BUFFER_SIZE];
    EXPECT_EQ(0, LocateMainImage(path));
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(std::string(current) + "\\Q4830251.520", path);

    WriteMainImage(400);
    EXPECT_EQ(1, LocateMainImage(path));
}

TEST_F(ImageFolder, MainImageHeldOpenWithoutSharingIsNotFound) {
    WriteMainImage(400);
    HANDLE holder =
        CreateFileA(MAIN_IMAGE_NAME, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    char path[IMAGE_PATH_BUFFER_SIZE];
    EXPECT_EQ(0, LocateMainImage(path));
    CloseHandle(holder);
}

TEST_F(ImageFolder, ReadImageVersionNeedsTheWholeHeader) {
    char version[VERSION_LENGTH + 1];
    char date[DATE_TEXT_LENGTH + 1];
    EXPECT_FALSE(ReadImageVersion(MAIN_IMAGE_NAME, version, date));

    WriteMainImage(IMAGE_HEADER_END - 1);
    EXPECT_FALSE(ReadImageVersion(MAIN_IMAGE_NAME, version, date));
    EXPECT_STREQ("", version);
    EXPECT_STREQ("", date);

    WriteMainImage(IMAGE_HEADER_END);
    EXPECT_TRUE(ReadImageVersion(MAIN_IMAGE_NAME, version, date));
    EXPECT_STREQ("1.52", version);
    EXPECT_STREQ("06/11/07", date);
}

TEST(LocateMainImage, RootDirectoryGivesTwoSeparatorsInARow) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    char path[IMAGE_PATH_BUFFER_SIZE];
    LocateMainImage(path);
    SetCurrentDirectoryA(previous);
    EXPECT_STREQ("C:\\\\Q4830251.520", path);
}

// Runs the probe in a process of its own: Wine cannot end a process cleanly after a current
// directory longer than MAX_PATH.
DWORD RunLongDirectoryProbe(const std::string& root, size_t length) {
    const std::string command = "\"" + ProgramFolder() + "long_directory_probe.exe\" \"" + root +
                                "\" " + std::to_string(length);
    return RunChildToEnd(command).value_or(0xFFFFFFFF);
}

// The directory, the separator, the 12-character name and its NUL must fit 1024 characters; a
// longer current directory gives no path at all (Windows reports its length, Wine fails the call).
TEST(LocateMainImage, DirectoryTooLongForThePathBufferFindsNothing) {
    const std::string root = ProgramTempFolder() + "\\deep";
    for (size_t directoryLength : {1011, 1100}) {
        SCOPED_TRACE(directoryLength);
        DWORD code = RunLongDirectoryProbe(root, directoryLength);
        RemoveTree(root);
        EXPECT_EQ(0u, code); // an empty path, and the image not found
    }
}

} // namespace
