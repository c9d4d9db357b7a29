#include "image_files.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// Opens an existing file for reading without sharing: the updater must not read an image that
// another program is writing.
HANDLE OpenImageFile(const char* path) {
    return CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool ReadAt(HANDLE file, uint32_t offset, char* into, DWORD length) {
    DWORD read = 0;
    return SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, into, length, &read, nullptr) && read == length;
}

} // namespace

int LocateMainImage(char* path) {
    std::memset(path, 0, IMAGE_PATH_BUFFER_SIZE);
    DWORD length = GetCurrentDirectoryA(IMAGE_PATH_BUFFER_SIZE, path);
    size_t needed = length + 1 + sizeof MAIN_IMAGE_NAME; // separator, name and its NUL
    if (length == 0 || needed > IMAGE_PATH_BUFFER_SIZE) {
        std::memset(path, 0, IMAGE_PATH_BUFFER_SIZE);
        return 0;
    }
    std::strcat(path, "\\");
    std::strcat(path, MAIN_IMAGE_NAME);
    HANDLE file = OpenImageFile(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

void DeriveSubImagePath(char* path) {
    path[std::strlen(path) - 7] = '0';
}

bool ReadImageVersion(const char* path, char (&version)[VERSION_LENGTH + 1],
                      char (&date)[DATE_TEXT_LENGTH + 1]) {
    std::memset(version, 0, sizeof version);
    std::memset(date, 0, sizeof date);
    HANDLE file = OpenImageFile(path);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool complete = ReadAt(file, IMAGE_VERSION_OFFSET, version, VERSION_LENGTH) &&
                    ReadAt(file, IMAGE_DATE_OFFSET, date, DATE_TEXT_LENGTH);
    CloseHandle(file);
    if (!complete) {
        std::memset(version, 0, sizeof version);
        std::memset(date, 0, sizeof date);
    }
    return complete;
}

void DateDigitsOfText(const char* dateText, char (&digits)[DATE_DIGITS_LENGTH + 1]) {
    const int positions[DATE_DIGITS_LENGTH] = {0, 1, 3, 4, 6, 7};
    for (int i = 0; i < DATE_DIGITS_LENGTH; ++i)
        digits[i] = dateText[positions[i]];
    digits[DATE_DIGITS_LENGTH] = '\0';
}

void DateDigitsOfInquiry(const uint8_t* inquiry, char (&digits)[DATE_DIGITS_LENGTH + 1]) {
    DateDigitsOfText(reinterpret_cast<const char*>(inquiry) + 37, digits);
}

bool IsUpdateNeeded(const char* driveRevision, const char* driveDateDigits, const char* fileVersion,
                    const char* fileDateDigits) {
    if (std::strcmp(driveRevision, fileVersion) != 0)
        return std::strtod(fileVersion, nullptr) > std::strtod(driveRevision, nullptr);
    return std::atol(driveDateDigits) < std::atol(fileDateDigits);
}
