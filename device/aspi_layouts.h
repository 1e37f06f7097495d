// Request blocks of the ASPI-for-Win32 interface, in the byte layout that
// interface defines (no padding). Shared by the transport and anything that
// answers it.
#pragma once
#include <stdint.h>

enum : uint8_t {
    SC_HA_INQUIRY = 0x00,
    SC_EXEC_SCSI_CMD = 0x02,
    SS_PENDING = 0x00,
    SS_COMP = 0x01,
    SS_ABORTED = 0x02,
    SS_ERR = 0x04,
    SS_INVALID_HA = 0x81,
    SS_NO_DEVICE = 0x82,
    SRB_DIR_IN = 0x08,
    SRB_DIR_OUT = 0x10,
};

enum { ASPI_SENSE_LEN = 14 };

#pragma pack(push, 1)
struct SRB_Header {
    uint8_t SRB_Cmd;
    uint8_t SRB_Status;
    uint8_t SRB_HaId;
    uint8_t SRB_Flags;
    uint32_t SRB_Hdr_Rsvd;
};

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
    uint8_t *SRB_BufPointer;
    uint8_t SRB_SenseLen;
    uint8_t SRB_CDBLen;
    uint8_t SRB_HaStat;
    uint8_t SRB_TargStat;
    void *SRB_PostProc;
    uint8_t SRB_Rsvd2[20];
    uint8_t CDBByte[16];
    uint8_t SenseArea[ASPI_SENSE_LEN + 2];
};
#pragma pack(pop)

static_assert(sizeof(SRB_HAInquiry) == 60, "SRB_HAInquiry layout");
static_assert(sizeof(void *) != 4 || sizeof(SRB_ExecSCSICmd) == 80, "SRB_ExecSCSICmd layout");
