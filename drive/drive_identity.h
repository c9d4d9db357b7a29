#pragma once
// What the updater knows of the supported drive: its model as INQUIRY names it, and the layout of
// its identification buffer (READ BUFFER mode 2, buffer id 0xF1), which discovery, the update
// sequence and the builders all read.

#include <cstdint>

// Vendor (8 characters) and product (16 characters) identification, as INQUIRY bytes 8..31.
constexpr char DRIVE_MODEL[] = "KESTRAN DVD-RW  XRW-T52A";
constexpr int DRIVE_MODEL_LENGTH = 24;

constexpr uint8_t READ_BUFFER_MODE_DATA = 0x02;
constexpr uint8_t BUFFER_ID_IDENTIFICATION = 0xF1;
constexpr uint32_t IDENTIFICATION_LENGTH = 48;
constexpr int IDENTIFICATION_TEXT_OFFSET = 16; // the OEM code and the two identification fields
constexpr int DOWNLOAD_STATE_OFFSET = 32;
