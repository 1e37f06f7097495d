// The nine operations through which the source talks to the scanner.
// Each returns 0 (or a count) on success and -1 on any failure.
#pragma once
#include <stdint.h>

enum { INQUIRY_RECORD_SIZE = 86, INQUIRY_AT_SIZE = 41 };
enum { TRANSPORT_CARD = 0, TRANSPORT_MEMORY_CARD = 1, TRANSPORT_DOS_ASPI = 2, TRANSPORT_WIN32_ASPI = 3 };
enum { INTERFACE_TABLE_SIZE = 28 };

extern const uint16_t InterfaceTable[INTERFACE_TABLE_SIZE];

// Device state shared by the operations.
extern uint16_t CurrentAddressCode;   // set by every Dev_Open
extern uint16_t DeviceLineLength;     // bytes per line of one colour plane

int Dev_Open(uint16_t code);
int Dev_Find(uint8_t length, const char *text);
int Dev_Inquiry(uint8_t *record);
int Dev_SetWindow(uint8_t *block);
int Dev_StartScan(uint8_t *block);
int Dev_Read(uint16_t max, uint8_t *buffer);
int Dev_ReadColor(uint16_t max, uint8_t *buffer);
int Dev_EndScan();
int Dev_InquiryAt(int target, uint8_t *buffer);
