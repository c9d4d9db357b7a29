#pragma once
// The two firmware image files in the current directory, the fields of the main image's header
// that the updater reads, and the rule that decides whether a drive needs the update.

#include <cstdint>

constexpr char MAIN_IMAGE_NAME[] = "Q4830251.520";
constexpr char SUB_IMAGE_NAME[] = "Q4830051.520";
constexpr int IMAGE_PATH_BUFFER_SIZE = 1024;

// The bytes of each image that go to the drive; a file must hold at least these.
constexpr uint32_t MAIN_IMAGE_SIZE = 0x198000;
constexpr uint32_t SUB_IMAGE_SIZE = 0x20000;

// Where the main image keeps the fields the updater reads.
constexpr uint32_t IMAGE_MODEL_OFFSET = 96;
constexpr uint32_t IMAGE_VERSION_OFFSET = 144;
constexpr uint32_t IMAGE_ID1_OFFSET = 176;
constexpr uint32_t IMAGE_ID2_OFFSET = 208;
constexpr uint32_t IMAGE_DATE_OFFSET = 304;
constexpr uint32_t IMAGE_HEADER_END = IMAGE_DATE_OFFSET + 8;

constexpr int VERSION_LENGTH = 4;
constexpr int DATE_TEXT_LENGTH = 8;   // "YY/MM/DD"
constexpr int DATE_DIGITS_LENGTH = 6; // "YYMMDD"

// Fills path (IMAGE_PATH_BUFFER_SIZE characters) with the current directory, "\" and the main
// image's name. Returns 1 when that file can be opened for reading, else 0 (also when the path
// would not fit the buffer).
int LocateMainImage(char* path);

// Turns a main image path into the sub image's path in place: the character 7 places before the
// end becomes '0' ("Q4830251.520" -> "Q4830051.520").
void DeriveSubImagePath(char* path);

// The version and date of a main image file, NUL-terminated. False when the file cannot be opened
// or is too short to hold them; the outputs are then empty.
bool ReadImageVersion(const char* path, char (&version)[VERSION_LENGTH + 1],
                      char (&date)[DATE_TEXT_LENGTH + 1]);

// The six date digits of a "YY/MM/DD" text (characters 0, 1, 3, 4, 6, 7).
void DateDigitsOfText(const char* dateText, char (&digits)[DATE_DIGITS_LENGTH + 1]);

// The six date digits of a drive's INQUIRY data (bytes 37, 38, 40, 41, 43, 44).
void DateDigitsOfInquiry(const uint8_t* inquiry, char (&digits)[DATE_DIGITS_LENGTH + 1]);

// Whether the drive (revision, date digits) should get the image (version, date digits): a
// different version text decides by its number alone; the same text decides by the date.
bool IsUpdateNeeded(const char* driveRevision, const char* driveDateDigits, const char* fileVersion,
                    const char* fileDateDigits);
