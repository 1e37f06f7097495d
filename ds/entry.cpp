// DS_Entry: caller check, dialog message routing and table dispatch.
#include <windows.h>
#include "ds/source_state.h"
#include "ds/triplets.h"

namespace {

struct DispatchEntry {
    TW_UINT16 dat;
    TripletHandler handler;
};

const DispatchEntry kControlTable[] = {
    {DAT_IDENTITY, HandleIdentity},
    {DAT_USERINTERFACE, HandleUserInterface},
    {DAT_CAPABILITY, HandleCapability},
    {DAT_STATUS, HandleStatus},
    {DAT_PENDINGXFERS, HandlePendingXfers},
    {DAT_SETUPMEMXFER, HandleSetupMemXfer},
    {DAT_SETUPFILEXFER, HandleSetupFileXfer},
    {DAT_XFERGROUP, HandleXferGroup},
    {0, nullptr},
};

const DispatchEntry kImageTable[] = {
    {DAT_IMAGEINFO, HandleImageInfo},
    {DAT_IMAGELAYOUT, HandleImageLayout},
    {DAT_IMAGEMEMXFER, HandleImageMemXfer},
    {DAT_IMAGENATIVEXFER, HandleImageNativeXfer},
    {DAT_IMAGEFILEXFER, HandleImageFileXfer},
    {0, nullptr},
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
    // Every triplet this source knows takes a structure: a null one is the
    // application's fault and must not reach a handler.
    if (call.data == nullptr) {
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
