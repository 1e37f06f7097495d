// The call record every triplet handler receives, and the handlers that the
// two dispatch tables name.
#pragma once
#include "ds/twain_types.h"

struct TripletCall {
    TW_IDENTITY *origin;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    TW_MEMREF data;
};

typedef TW_UINT16 (*TripletHandler)(const TripletCall &call);

// DG_CONTROL
TW_UINT16 HandleIdentity(const TripletCall &call);
TW_UINT16 HandleUserInterface(const TripletCall &call);
TW_UINT16 HandleCapability(const TripletCall &call);
TW_UINT16 HandleStatus(const TripletCall &call);
TW_UINT16 HandlePendingXfers(const TripletCall &call);
TW_UINT16 HandleSetupMemXfer(const TripletCall &call);
TW_UINT16 HandleSetupFileXfer(const TripletCall &call);
TW_UINT16 HandleXferGroup(const TripletCall &call);
// DG_IMAGE
TW_UINT16 HandleImageInfo(const TripletCall &call);
TW_UINT16 HandleImageLayout(const TripletCall &call);
TW_UINT16 HandleImageMemXfer(const TripletCall &call);
TW_UINT16 HandleImageNativeXfer(const TripletCall &call);
TW_UINT16 HandleImageFileXfer(const TripletCall &call);

// Ends a progress box, the scanner's job and the main dialog, as closing and
// disabling the source both do.
void EndDialogSession();
// Frees the buffer a memory transfer lent the application.
void ReleaseMemoryTransferBuffer();
