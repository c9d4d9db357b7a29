#pragma once
// Firmware image files for tests: a main image of any size with any header field values, and a
// sub image, in a folder of their own. The real images are not the project's to ship; these carry
// a byte pattern that differs from chunk to chunk, so a chunk sent at the wrong offset shows.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_folder.h"

struct MainImageHeader {
    std::string model = "KESTRAN DVD-RW  XRW-T52A"; // offset 96, 24 bytes
    std::string version = "1.52";                   // offset 144, 4 bytes
    std::string identification1 = "0068ORVE";       // offset 176, 8 bytes
    std::string identification2 = "DT      ";       // offset 208, 8 bytes
    std::string date = "06/11/07";                  // offset 304, 8 bytes
};

constexpr size_t MAIN_IMAGE_BYTES = 0x198000;
constexpr size_t SUB_IMAGE_BYTES = 0x20000;

std::vector<uint8_t> MakeMainImage(const MainImageHeader& header = {},
                                   size_t size = MAIN_IMAGE_BYTES);
std::vector<uint8_t> MakeSubImage(size_t size = SUB_IMAGE_BYTES);

// Writes bytes as the whole file at path; throws std::runtime_error when it cannot.
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// Both images, whole, under their real names in folder (which must exist).
void WriteImageFiles(const std::string& folder, const MainImageHeader& header = {});

// A folder of this test program for the two image files under their real names; removed with
// its files when the object goes.
class FirmwareFolder {
public:
    explicit FirmwareFolder(const std::string& name) : m_folder(name) {}

    const std::string& Path() const { return m_folder.Path(); }
    std::string MainImagePath() const;
    std::string SubImagePath() const;

    void WriteMainImage(const std::vector<uint8_t>& bytes) const;
    void WriteSubImage(const std::vector<uint8_t>& bytes) const;
    void RemoveMainImage() const;
    void RemoveSubImage() const;

private:
    TestFolder m_folder;
};

// The main and sub image in a new folder, which is the current directory while the object lives.
class ImageFolder {
public:
    explicit ImageFolder(const MainImageHeader& header = {});
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    std::string MainPath() const { return m_files.MainImagePath(); }
    std::string SubPath() const { return m_files.SubImagePath(); }
    void RemoveMain() const { m_files.RemoveMainImage(); }
    void TruncateMain(DWORD length) const;

private:
    FirmwareFolder m_files;
    MainImageHeader m_header;
    ScopedCurrentDirectory m_current;
};
