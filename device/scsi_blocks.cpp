#include "device/scsi_blocks.h"
#include <string.h>

const uint8_t CdbInquiry[6] = {0x12, 0x00, 0x00, 0x00, 0x35, 0x00};
const uint8_t CdbInquiryPage82[6] = {0x12, 0x01, 0x82, 0x00, 0x21, 0x00};
const uint8_t CdbInquiryShort[6] = {0x12, 0x00, 0x00, 0x00, 0x29, 0x00};
const uint8_t CdbRequestSense[6] = {0x03, 0x00, 0x00, 0x00, 0x12, 0x00};
const uint8_t CdbTestUnitReady[6] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
const uint8_t CdbModeSelect[6] = {0x15, 0x10, 0x00, 0x00, 0x18, 0x00};
const uint8_t CdbVendor09[6] = {0x09, 0x00, 0x00, 0x78, 0x00, 0x00};
const uint8_t CdbVendor0E[6] = {0x0E, 0x00, 0x00, 0x00, 0x00, 0x00};
const uint8_t CdbScan[6] = {0x1B, 0x00, 0x00, 0x00, 0x00, 0x00};
const uint8_t CdbBufferStatus[10] = {0x34, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x12, 0x00};

const uint8_t ModeSelectList[MODE_SELECT_LIST_SIZE] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08,             // header, block descriptor length 8
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,             // density 0, 0 blocks, length 1
    0x03, 0x06, 0x02, 0x00, 0x00, 0x01, 0x00, 0x00,             // measurement units page
};

#define WINDOW_LIST(width_hi, width_lo, length_hi, length_lo)                                  \
    {                                                                                          \
        0, 0, 0, 0, 0, 0, 0x00, 0x5B,                    /* header: descriptor length 91 */   \
        0, 0,                                            /* window id, reserved */            \
        0x01, 0x2C, 0x01, 0x2C,                          /* 300 by 300 dpi */                 \
        0, 0, 0, 0, 0, 0, 0, 0,                          /* upper left X, Y */                \
        0, 0, width_hi, width_lo, 0, 0, length_hi, length_lo,                                 \
        0, 128, 0,                                       /* brightness, threshold, contrast */\
        2, 8, 0, 0,                                      /* grey, 8 bits, halftone */         \
        0x80, 0, 0, 0, 0,                                /* RIF, bit order, compression */    \
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,              /* reserved, vendor */               \
        0, 0x80, 0, 0x80, 0, 0x80, 0, 0x80,              /* thresholds */                     \
        0, 0,                                            /* speed, prescan */                 \
        0, 0x80, 0, 0x80, 0, 0x80, 0, 0x80, 0, 0x80, 0, 0x80, 0, 0x80, 0, 0x80,               \
        0, 0,                                            /* feeder, transparency */           \
        0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF,                           \
        0,                                               /* image-information flag */         \
    }

const uint8_t WindowTemplate[WINDOW_LIST_SIZE] = WINDOW_LIST(0x09, 0xF6, 0x01, 0x90);
const uint8_t ZeroWindow[WINDOW_LIST_SIZE] = WINDOW_LIST(0, 0, 0, 0);

void PutBig16(uint8_t *at, uint32_t value)
{
    at[0] = uint8_t(value >> 8);
    at[1] = uint8_t(value);
}

void PutBig32(uint8_t *at, uint32_t value)
{
    PutBig16(at, value >> 16);
    PutBig16(at + 2, value);
}

uint32_t GetBig16(const uint8_t *at)
{
    return uint32_t(at[0]) << 8 | at[1];
}

uint32_t GetBig24(const uint8_t *at)
{
    return uint32_t(at[0]) << 16 | GetBig16(at + 1);
}

void BuildSendCdb(uint8_t cdb[10], uint8_t format, uint16_t length)
{
    const uint8_t base[10] = {0x2A, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    memcpy(cdb, base, 10);
    cdb[5] = format;
    PutBig16(cdb + 7, length);
}

void BuildSetWindowCdb(uint8_t cdb[10], uint16_t length)
{
    const uint8_t base[10] = {0x24, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    memcpy(cdb, base, 10);
    PutBig16(cdb + 7, length);
}

void BuildReadCdb(uint8_t cdb[10], uint16_t length)
{
    const uint8_t base[10] = {0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    memcpy(cdb, base, 10);
    PutBig16(cdb + 7, length);
}

void ScanStatusFromAnswer(const uint8_t *answer, uint8_t *status)
{
    status[0] = answer[13];
    status[1] = answer[12];
    status[2] = answer[15];
    status[3] = answer[14];
    status[4] = answer[17];
}
