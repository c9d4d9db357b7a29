#pragma once
// The request blocks and codes of the ASPI for Win32 interface, as the layer's published binary
// layout gives them: byte-packed, the same on every 32-bit Windows.

#include <windows.h>
#include <cstddef>
#include <cstdint>

// Commands.
constexpr uint8_t SC_HA_INQUIRY = 0x00;
constexpr uint8_t SC_EXEC_SCSI_CMD = 0x02;

// Completion codes (SRB_Status, and the result of SendASPI32Command).
constexpr uint8_t SS_PENDING = 0x00;
constexpr uint8_t SS_COMP = 0x01;
constexpr uint8_t SS_ABORTED = 0x02;
constexpr uint8_t SS_ERR = 0x04;
constexpr uint8_t SS_INVALID_CMD = 0x80;
constexpr uint8_t SS_INVALID_HA = 0x81;
constexpr uint8_t SS_NO_DEVICE = 0x82;

// Request flags.
constexpr uint8_t SRB_DIR_IN = 0x08;
constexpr uint8_t SRB_DIR_OUT = 0x10;
constexpr uint8_t SRB_EVENT_NOTIFY = 0x40;

// Our sense area holds the 22 bytes of sense data that the commands ask for (the interface's
// own block has room for 16).
constexpr int ASPI_SENSE_AREA_SIZE = 24;
constexpr uint8_t ASPI_SENSE_LENGTH = 22;

#pragma pack(push, 1)

struct SRB_HAInquiry {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t HA_Count;
    uint8_t HA_SCSI_ID;
    uint8_t HA_ManagerId[16];
    uint8_t HA_Identifier[16];
    uint8_t HA_Unique[16];
    uint16_t HA_Rsvd1;
};

struct SRB_ExecSCSICmd {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
    uint8_t SRB_Target;
    uint8_t SRB_Lun;
    uint16_t SRB_Rsvd1;
    uint32_t SRB_BufLen;
    uint8_t* SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    HANDLE SRB_PostProc;
    uint8_t SRB_Rsvd2[20];
    uint8_t CDBByte[16];
    uint8_t SenseArea[ASPI_SENSE_AREA_SIZE];
};

#pragma pack(pop)

static_assert(sizeof(SRB_HAInquiry) == 60, "host adapter inquiry block");
static_assert(offsetof(SRB_HAInquiry, HA_Count) == 8, "HA_Count");
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 26, "HA_Identifier");
static_assert(sizeof(SRB_ExecSCSICmd) == 88, "execute block with the enlarged sense area");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Target) == 8, "SRB_Target");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12, "SRB_BufLen");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16, "SRB_BufPointer");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 20, "SRB_SenseLen");
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24, "SRB_PostProc");
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48, "CDBByte");
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64, "SenseArea");

// The layer's two entry points; the caller removes the argument.
using GetASPI32SupportInfoProc = DWORD(__cdecl*)();
using SendASPI32CommandProc = DWORD(__cdecl*)(void* request);
