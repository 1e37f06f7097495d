// DS_Entry: caller check, dialog message routing and table dispatch.
#include <windows.h>
#include "ds/source_state.h"
#include "ds/triplets.h"

namespace {

struct DispatchEntry {
    TW_UINT16 dat;
    TripletHandler handler;
    bool takesData;    // the triplet passes a structure in pData
};

const DispatchEntry kControlTable[] = {
    {DAT_IDENTITY, HandleIdentity, true},
    {DAT_USERINTERFACE, HandleUserInterface, true},
    {DAT_CAPABILITY, HandleCapability, true},
    {DAT_STATUS, HandleStatus, true},
    {DAT_PENDINGXFERS, HandlePendingXfers, true},
    {DAT_SETUPMEMXFER, HandleSetupMemXfer, true},
    {DAT_SETUPFILEXFER, HandleSetupFileXfer, true},
    {DAT_XFERGROUP, HandleXferGroup, true},
    {0, nullptr, false},
};

// The file transfer names its file beforehand and passes no data.
const DispatchEntry kImageTable[] = {
    {DAT_IMAGEINFO, HandleImageInfo, true},
    {DAT_IMAGELAYOUT, HandleImageLayout, true},
    {DAT_IMAGEMEMXFER, HandleImageMemXfer, true},
    {DAT_IMAGENATIVEXFER, HandleImageNativeXfer, true},
    {DAT_IMAGEFILEXFER, HandleImageFileXfer, false},
    {0, nullptr, false},
};

bool FromOtherApplication(const TW_IDENTITY *origin)
{
    if (AppIdentity.Id == 0)
        return false;
    return origin == nullptr || origin->Id != AppIdentity.Id;
}

TW_UINT16 ProcessEvent(TW_MEMREF data)
{
    TW_EVENT *event = static_cast<TW_EVENT *>(data);
    if (MainDialog == nullptr || event == nullptr || event->pEvent == nullptr)
        return TWRC_NOTDSEVENT;
    if (!IsDialogMessageA(MainDialog, static_cast<MSG *>(event->pEvent)))
        return TWRC_NOTDSEVENT;
    event->TWMessage = MSG_NULL;
    return TWRC_DSEVENT;
}

TW_UINT16 Dispatch(const DispatchEntry *table, const TripletCall &call)
{
    for (; table->handler != nullptr; table++)
        if (table->dat == call.dat)
            break;
    if (table->handler == nullptr) {
        ConditionCode = TWCC_BADPROTOCOL;
        return TWRC_FAILURE;
    }
    // A null structure where one is due is the application's fault and must
    // not reach a handler.
    if (table->takesData && call.data == nullptr) {
        ConditionCode = TWCC_BADVALUE;
        return TWRC_FAILURE;
    }
    return table->handler(call);
}

} // namespace

extern "C" TW_UINT16 WINAPI DS_Entry(TW_IDENTITY *pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                                    TW_UINT16 MSG, TW_MEMREF pData)
{
    if (FromOtherApplication(pOrigin))
        return TWRC_FAILURE;
    if (MSG == MSG_PROCESSEVENT)
        return ProcessEvent(pData);
    TripletCall call = {pOrigin, DG, DAT, MSG, pData};
    if (DG == DG_CONTROL)
        return Dispatch(kControlTable, call);
    if (DG == DG_IMAGE)
        return Dispatch(kImageTable, call);
    return TWRC_FAILURE;
}
