// Device operations. No transport can be bound yet: every operation reports
// failure, which the rest of the source treats as "no scanner present".
#include "device/device_ops.h"

const uint16_t InterfaceTable[INTERFACE_TABLE_SIZE] = {
    0x0001,
    0x0280, 0x0290, 0x0300, 0x0310, 0x0330, 0x0340, 0x0348, 0x0350,
    0xC800, 0xCC00, 0xD000, 0xD400, 0xD800, 0xDC00, 0xE000, 0xE400,
    0x0280, 0x0290, 0x0300, 0x0310, 0x0330, 0x0340, 0x0348, 0x0350,
    0x0001,
    0x0000, 0x0000,
};

static uint16_t CurrentAddressCode;

int Dev_Open(uint16_t code)
{
    CurrentAddressCode = code;
    return -1;
}

int Dev_Find(uint8_t, const char *) { return -1; }
int Dev_Inquiry(uint8_t *) { return -1; }
int Dev_SetWindow(uint8_t *) { return -1; }
int Dev_StartScan(uint8_t *) { return -1; }
int Dev_Read(uint16_t, uint8_t *) { return -1; }
int Dev_ReadColor(uint16_t, uint8_t *) { return -1; }
int Dev_EndScan() { return -1; }
int Dev_InquiryAt(int, uint8_t *) { return -1; }
