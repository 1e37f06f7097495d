#include "device/aspi_transport.h"
#include <windows.h>
#include <string.h>
#include "device/aspi_layouts.h"
#include "device/aspi_library.h"

AspiAddress AspiTarget = {0, 7, 0};
uint32_t AspiTimeout = ASPI_TIMEOUT_NORMAL;
uint8_t AspiReply[ASPI_REPLY_SIZE];

static uint32_t SystemTicks()
{
    return GetTickCount();
}
TickSource AspiTicks = SystemTicks;

namespace {

SRB_ExecSCSICmd Request;
SRB_HAInquiry AdapterRequest;

// The manager finishes the request on its own; the status byte is read
// through a volatile access so each poll sees its latest value.
uint8_t WaitForCompletion(volatile uint8_t *status, uint32_t start)
{
    for (;;) {
        uint8_t now = *status;
        if (now != SS_PENDING)
            return now;
        if (uint32_t(AspiTicks() - start) >= AspiTimeout) {
            *status = SS_ERR;
            return SS_ERR;
        }
    }
}

uint8_t Submit(void *block, volatile uint8_t *status)
{
    if (!AspiLoaded() || Aspi.sendCommand == nullptr)
        return SS_ERR;
    uint32_t start = AspiTicks();
    Aspi.sendCommand(block);
    return WaitForCompletion(status, start);
}

} // namespace

uint8_t AspiExecute(const uint8_t *cdb, int cdbLength, uint8_t direction, void *buffer, uint16_t length)
{
    memset(&Request, 0, sizeof Request);
    Request.SRB_Cmd = SC_EXEC_SCSI_CMD;
    Request.SRB_Status = SS_PENDING;
    Request.SRB_HaId = AspiTarget.adapter;
    Request.SRB_Flags = direction;
    Request.SRB_Target = AspiTarget.target;
    Request.SRB_Lun = 0;
    Request.SRB_BufLen = length;
    Request.SRB_BufPointer = length ? static_cast<uint8_t *>(buffer) : nullptr;
    Request.SRB_SenseLen = ASPI_SENSE_LEN;
    Request.SRB_CDBLen = uint8_t(cdbLength);
    memcpy(Request.CDBByte, cdb, cdbLength);
    return Submit(&Request, &Request.SRB_Status);
}

uint8_t AspiAdapterInquiry(uint8_t adapter)
{
    memset(&AdapterRequest, 0, sizeof AdapterRequest);
    AdapterRequest.SRB_Cmd = SC_HA_INQUIRY;
    AdapterRequest.SRB_HaId = adapter;
    uint8_t status = Submit(&AdapterRequest, &AdapterRequest.SRB_Status);
    if (status == SS_COMP) {
        AspiTarget.adapter = adapter;
        AspiTarget.adapterId = AdapterRequest.HA_SCSI_ID;
    }
    return status;
}
