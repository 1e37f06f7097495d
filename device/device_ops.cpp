// Device operations over ASPI for Win32. The DOS-ASPI and adapter-card
// transports are not part of these builds' device layer yet: their address
// codes cannot be bound, so nothing they would do reaches ASPI.
#include "device/device_ops.h"
#include <stdlib.h>
#include <string.h>
#include "device/aspi_layouts.h"
#include "device/aspi_library.h"
#include "device/aspi_transport.h"
#include "device/scsi_blocks.h"
#include "ds/library_strings.h"

const uint16_t InterfaceTable[INTERFACE_TABLE_SIZE] = {
    0x0001,
    0x0280, 0x0290, 0x0300, 0x0310, 0x0330, 0x0340, 0x0348, 0x0350,
    0xC800, 0xCC00, 0xD000, 0xD400, 0xD800, 0xDC00, 0xE000, 0xE400,
    0x0280, 0x0290, 0x0300, 0x0310, 0x0330, 0x0340, 0x0348, 0x0350,
    0x0001,
    0x0000, 0x0000,
};

uint16_t CurrentAddressCode;
uint16_t DeviceLineLength;

namespace {

const uint16_t kAspiCode = 0x0001;
const int kModelIdentifierId = 10;
const int kModelPrefixId = 26;
const int kStandardModelOffset = 47;
const int kStandardVendorOffset = 42;
const uint16_t kVendor09Length = 30720;

bool AspiBound()
{
    return CurrentAddressCode == kAspiCode;
}

bool Completes(const uint8_t *cdb, int length, uint8_t direction, void *buffer, uint16_t size)
{
    return AspiExecute(cdb, length, direction, buffer, size) == SS_COMP;
}

bool StandardInquiry()
{
    memset(AspiReply, 0, sizeof AspiReply);
    return Completes(CdbInquiry, 6, SRB_DIR_IN, AspiReply, STANDARD_INQUIRY_SIZE);
}

// Whether the inquiry answer in the reply buffer carries the identifier:
// build 4.12 finds it anywhere in the text from byte 42, build 4.12X wants it
// at byte 47. The buffer is one byte longer than the answer, so its text
// always ends.
bool ReplyCarries(const char *identifier)
{
    AspiReply[ASPI_REPLY_SIZE - 1] = 0;
#if DS_BUILD_X
    size_t n = strlen(identifier);
    return n <= size_t(ASPI_REPLY_SIZE - kStandardModelOffset) &&
           memcmp(AspiReply + kStandardModelOffset, identifier, n) == 0;
#else
    return strstr(reinterpret_cast<const char *>(AspiReply + kStandardVendorOffset), identifier) != nullptr;
#endif
}

bool ProbeTarget(uint8_t target, const char *identifier)
{
    AspiTarget.target = target;
    return StandardInquiry() && ReplyCarries(identifier);
}

bool SearchAdapters(const char *identifier)
{
    for (int adapter = 0; adapter < 8; adapter++) {
        if (AspiAdapterInquiry(uint8_t(adapter)) != SS_COMP)
            continue;
        for (int target = 7; target >= 0; target--) {
#if !DS_BUILD_X
            if (target == AspiTarget.adapterId)
                continue;
#endif
            if (ProbeTarget(uint8_t(target), identifier))
                return true;
        }
    }
    return false;
}

int OpenAspi()
{
    if (!AspiLoaded() || Aspi.supportInfo == nullptr)
        return -1;
    if (((Aspi.supportInfo() >> 8) & 0xFF) != SS_COMP)
        return -1;
    char identifier[35] = "";
    LoadLibraryString(kModelIdentifierId, identifier, sizeof identifier);
    bool found = SearchAdapters(identifier);
#if DS_BUILD_X
    if (!found) {
        LoadLibraryString(kModelPrefixId, identifier, sizeof identifier);
        found = SearchAdapters(identifier);
    }
#endif
    if (!found) {
        AspiTarget.adapter = 0;
        AspiTarget.adapterId = 7;
    }
    return TRANSPORT_WIN32_ASPI;
}

// Page 82h may carry the identifier anywhere from byte 5: start where its
// first byte first occurs.
bool Page82Names(uint8_t length, const char *text)
{
    uint8_t page[ASPI_REPLY_SIZE];
    memset(AspiReply, 0, sizeof AspiReply);
    AspiExecute(CdbInquiryPage82, 6, SRB_DIR_IN, AspiReply, PAGE82_INQUIRY_SIZE);
    memcpy(page, AspiReply, sizeof page);
    for (int p = 5; p <= 32; p++) {
        if (page[p] != uint8_t(text[0]))
            continue;
        return p + length <= ASPI_REPLY_SIZE && memcmp(page + p, text, length) == 0;
    }
    return false;
}

bool TargetMatches(uint8_t length, const char *text)
{
    if (!StandardInquiry() || AspiReply[0] != 6)
        return false;
    if (kStandardModelOffset + length <= ASPI_REPLY_SIZE &&
        memcmp(AspiReply + kStandardModelOffset, text, length) == 0)
        return true;
    return Page82Names(length, text);
}

bool PrepareTarget()
{
    uint8_t list[MODE_SELECT_LIST_SIZE];
    memcpy(list, ModeSelectList, sizeof list);
    return Completes(CdbRequestSense, 6, SRB_DIR_IN, AspiReply, 18) &&
           Completes(CdbTestUnitReady, 6, SRB_DIR_IN, nullptr, 0) &&
           Completes(CdbModeSelect, 6, SRB_DIR_OUT, list, MODE_SELECT_LIST_SIZE);
}

bool ReadBufferStatus()
{
    memset(AspiReply, 0, sizeof AspiReply);
    return Completes(CdbBufferStatus, 10, SRB_DIR_IN, AspiReply, BUFFER_STATUS_SIZE);
}

void TakeScanStatus(uint8_t *block)
{
    ScanStatusFromAnswer(AspiReply, block);
    DeviceLineLength = uint16_t(block[2] | block[3] << 8);
}

// Bytes that may be read now: 0 when none is ready, -1 when the status
// request fails.
long ReadableAmount(uint16_t max)
{
    if (!ReadBufferStatus())
        return -1;
    if (AspiReply[9] != 0)
        return max;
    long ready = long(GetBig16(AspiReply + 10));
    return ready < max ? ready : max;
}

bool ReadImage(uint8_t *buffer, uint16_t length)
{
    uint8_t cdb[10];
    BuildReadCdb(cdb, length);
    return Completes(cdb, 10, SRB_DIR_IN, buffer, length);
}

// Plane-by-plane colour lines (red, green, blue runs of lineLength bytes) to
// RGB pixels. Each output line ends before its own source group begins when
// the source lies one group behind the output, so this works in place.
void InterleaveGroups(const uint8_t *source, uint8_t *out, int groups, int lineLength)
{
    for (int g = 0; g < groups; g++) {
        const uint8_t *group = source + size_t(3) * lineLength * g;
        uint8_t *line = out + size_t(3) * lineLength * g;
        for (int i = 0; i < lineLength; i++) {
            line[3 * i] = group[i];
            line[3 * i + 1] = group[lineLength + i];
            line[3 * i + 2] = group[2 * lineLength + i];
        }
    }
}

} // namespace

int Dev_Open(uint16_t code)
{
    CurrentAddressCode = code;
    if (code != kAspiCode)
        return -1;
    return OpenAspi();
}

int Dev_Find(uint8_t length, const char *text)
{
    if (!AspiBound())
        return -1;
    for (int target = 7; target >= 0; target--) {
        AspiTarget.target = uint8_t(target);
        if (TargetMatches(length, text))
            return PrepareTarget() ? 0 : -1;
    }
    return -1;
}

int Dev_Inquiry(uint8_t *record)
{
    if (!AspiBound())
        return -1;
    memset(AspiReply, 0, sizeof AspiReply);
    AspiExecute(CdbInquiryPage82, 6, SRB_DIR_IN, AspiReply, PAGE82_INQUIRY_SIZE);
    memcpy(record, AspiReply, PAGE82_INQUIRY_SIZE);
    if (!StandardInquiry())
        return -1;
    memcpy(record + PAGE82_INQUIRY_SIZE, AspiReply, STANDARD_INQUIRY_SIZE);
    return 0;
}

int Dev_SetWindow(uint8_t *block)
{
    if (!AspiBound())
        return -1;
    uint8_t *scratch = static_cast<uint8_t *>(calloc(32768, 1));
    if (scratch != nullptr) {
        AspiExecute(CdbVendor09, 6, SRB_DIR_IN, scratch, kVendor09Length);
        AspiExecute(CdbVendor0E, 6, SRB_DIR_IN, nullptr, 0);
        free(scratch);
    }
    uint8_t format = block[1];
    uint16_t toneLength = format == 4 ? 4096 : 1024;
    uint8_t cdb[10];
    BuildSendCdb(cdb, format, toneLength);
    if (!Completes(cdb, 10, SRB_DIR_OUT, block + TONE_BLOCK_OFFSET, toneLength))
        return -1;
    uint8_t *list = block + TONE_BLOCK_OFFSET + toneLength + 1;
    uint16_t listLength = uint16_t(WINDOW_HEADER_SIZE + GetBig16(list + 6));
    BuildSetWindowCdb(cdb, listLength);
    if (!Completes(cdb, 10, SRB_DIR_OUT, list, listLength))
        return -1;
    if (!ReadBufferStatus())
        return -1;
    TakeScanStatus(block);
    return 0;
}

int Dev_StartScan(uint8_t *block)
{
    if (!AspiBound())
        return -1;
    if (!Completes(CdbScan, 6, SRB_DIR_IN, nullptr, 0) || !ReadBufferStatus())
        return -1;
    TakeScanStatus(block);
    return 0;
}

int Dev_Read(uint16_t max, uint8_t *buffer)
{
    if (!AspiBound() || DeviceLineLength == 0)
        return -1;
    long amount = ReadableAmount(max);
    if (amount <= 0)
        return int(amount);
    if (!ReadImage(buffer, uint16_t(amount)))
        return -1;
    return int(amount / DeviceLineLength);
}

int Dev_ReadColor(uint16_t max, uint8_t *buffer)
{
    if (!AspiBound() || DeviceLineLength == 0)
        return -1;
    uint32_t group = 3u * DeviceLineLength;
    uint8_t *scratch = nullptr;
    uint8_t *target = buffer + group;
    uint16_t limit = uint16_t(max - group);
    if (group >= max) {
        scratch = static_cast<uint8_t *>(malloc(max ? max : 1));
        if (scratch == nullptr)
            return -1;
        target = scratch;
        limit = max;
    }
    long amount = ReadableAmount(limit);
    int lines = -1;
    if (amount == 0)
        lines = 0;
    else if (amount > 0 && ReadImage(target, uint16_t(amount))) {
        lines = int(amount / DeviceLineLength / 3);
        InterleaveGroups(target, buffer, lines, DeviceLineLength);
    }
    free(scratch);
    return lines;
}

int Dev_EndScan()
{
    if (!AspiBound())
        return -1;
    uint8_t list[WINDOW_LIST_SIZE];
    memcpy(list, ZeroWindow, sizeof list);
    uint8_t cdb[10];
    BuildSetWindowCdb(cdb, WINDOW_LIST_SIZE);
    AspiExecute(cdb, 10, SRB_DIR_OUT, list, WINDOW_LIST_SIZE);
    return Completes(CdbScan, 6, SRB_DIR_IN, nullptr, 0) ? 0 : -1;
}

int Dev_InquiryAt(int target, uint8_t *buffer)
{
    if (!AspiBound())
        return -1;
    uint8_t scanner = AspiTarget.target;
    AspiTarget.target = uint8_t(target);
    memset(AspiReply, 0, sizeof AspiReply);
    bool done = Completes(CdbInquiryShort, 6, SRB_DIR_IN, AspiReply, SHORT_INQUIRY_SIZE);
    AspiTarget.target = scanner;
    if (!done)
        return -1;
    memcpy(buffer, AspiReply, SHORT_INQUIRY_SIZE);
    return 0;
}
