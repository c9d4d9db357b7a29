#include "tests/support/firmware_images.h"

#include <windows.h>

#include <cstring>
#include <stdexcept>

namespace {

void Put(std::vector<uint8_t>& image, size_t offset, const std::string& text) {
    if (offset + text.size() <= image.size())
        std::memcpy(image.data() + offset, text.data(), text.size());
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 7 + (i >> 15) * 13 + seed) & 0xFF);
    return bytes;
}

// Writes both images into the folder and names it, for the current directory that follows.
const std::string& WrittenImages(const FirmwareFolder& files, const MainImageHeader& header) {
    files.WriteMainImage(MakeMainImage(header));
    files.WriteSubImage(MakeSubImage());
    return files.Path();
}

} // namespace

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size())
        throw std::runtime_error("cannot write " + path);
}

void WriteImageFiles(const std::string& folder, const MainImageHeader& header) {
    WriteBytes(folder + "\\Q4830251.520", MakeMainImage(header));
    WriteBytes(folder + "\\Q4830051.520", MakeSubImage());
}

std::vector<uint8_t> MakeMainImage(const MainImageHeader& header, size_t size) {
    std::vector<uint8_t> image = Pattern(size, 0x5A);
    Put(image, 96, header.model);
    Put(image, 144, header.version);
    Put(image, 176, header.identification1);
    Put(image, 208, header.identification2);
    Put(image, 304, header.date);
    return image;
}

std::vector<uint8_t> MakeSubImage(size_t size) {
    return Pattern(size, 0xA5);
}

std::string FirmwareFolder::MainImagePath() const {
    return m_folder.File("Q4830251.520");
}

std::string FirmwareFolder::SubImagePath() const {
    return m_folder.File("Q4830051.520");
}

void FirmwareFolder::WriteMainImage(const std::vector<uint8_t>& bytes) const {
    WriteBytes(MainImagePath(), bytes);
}

void FirmwareFolder::WriteSubImage(const std::vector<uint8_t>& bytes) const {
    WriteBytes(SubImagePath(), bytes);
}

void FirmwareFolder::RemoveMainImage() const {
    DeleteFileA(MainImagePath().c_str());
}

void FirmwareFolder::RemoveSubImage() const {
    DeleteFileA(SubImagePath().c_str());
}

ImageFolder::ImageFolder(const MainImageHeader& header)
    : m_files("images"), m_header(header), m_current(WrittenImages(m_files, header)) {}

void ImageFolder::TruncateMain(DWORD length) const {
    m_files.WriteMainImage(MakeMainImage(m_header, length));
}
