// Fixed SCSI command blocks and parameter lists the scanner is sent.
// Platform-free: multi-byte fields are big-endian, as the scanner reads them.
#pragma once
#include <stdint.h>

enum {
    WINDOW_HEADER_SIZE = 8,
    WINDOW_DESCRIPTOR_SIZE = 91,
    WINDOW_LIST_SIZE = WINDOW_HEADER_SIZE + WINDOW_DESCRIPTOR_SIZE,
    MODE_SELECT_LIST_SIZE = 24,
    STANDARD_INQUIRY_SIZE = 53,
    PAGE82_INQUIRY_SIZE = 33,
    SHORT_INQUIRY_SIZE = 41,
    BUFFER_STATUS_SIZE = 18,
    SCAN_STATUS_SIZE = 5,
    TONE_BLOCK_OFFSET = 3,
};

extern const uint8_t CdbInquiry[6];
extern const uint8_t CdbInquiryPage82[6];
extern const uint8_t CdbInquiryShort[6];
extern const uint8_t CdbRequestSense[6];
extern const uint8_t CdbTestUnitReady[6];
extern const uint8_t CdbModeSelect[6];
extern const uint8_t CdbVendor09[6];
extern const uint8_t CdbVendor0E[6];
extern const uint8_t CdbScan[6];
extern const uint8_t CdbBufferStatus[10];

extern const uint8_t ModeSelectList[MODE_SELECT_LIST_SIZE];
// The SET WINDOW list the scan engine starts from (header and descriptor).
extern const uint8_t WindowTemplate[WINDOW_LIST_SIZE];
// The same with width and length 0: ends the scanner's job.
extern const uint8_t ZeroWindow[WINDOW_LIST_SIZE];

void PutBig16(uint8_t *at, uint32_t value);
void PutBig32(uint8_t *at, uint32_t value);
uint32_t GetBig16(const uint8_t *at);
uint32_t GetBig24(const uint8_t *at);

// SEND(10) of a tone table of the given format (2: 1024 bytes, 4: 4096).
void BuildSendCdb(uint8_t cdb[10], uint8_t format, uint16_t length);
// SET WINDOW for a parameter list of the given length.
void BuildSetWindowCdb(uint8_t cdb[10], uint16_t length);
// READ(10) of image data.
void BuildReadCdb(uint8_t cdb[10], uint16_t length);

// The scan status block from a GET DATA BUFFER STATUS answer: line count and
// line length little-endian, then answer byte 17.
void ScanStatusFromAnswer(const uint8_t *answer, uint8_t *status);
