#include "image_files.h"

#include "image_file.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

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
    return ImageFile(path).IsOpen() ? 1 : 0;
}

void DeriveSubImagePath(char* path) {
    path[std::strlen(path) - 7] = '0';
}

bool ReadImageVersion(const char* path, char (&version)[VERSION_LENGTH + 1],
                      char (&date)[DATE_TEXT_LENGTH + 1]) {
    version[0] = '\0';
    date[0] = '\0';
    ImageFile file(path);
    if (!file.IsOpen() || file.Size() < IMAGE_HEADER_END)
        return false;
    file.ReadText(IMAGE_VERSION_OFFSET, version, VERSION_LENGTH);
    file.ReadText(IMAGE_DATE_OFFSET, date, DATE_TEXT_LENGTH);
    return true;
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
