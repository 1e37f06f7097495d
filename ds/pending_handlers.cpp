// Triplets whose handlers the source does not offer yet: transfer set-up, image information and layout, and the transfers. They
// fail as an unknown protocol would, quietly, so an application can go on.
#include "ds/source_state.h"
#include "ds/triplets.h"

static TW_UINT16 NotOffered(const TripletCall &)
{
    ConditionCode = TWCC_BADPROTOCOL;
    return TWRC_FAILURE;
}

TW_UINT16 HandlePendingXfers(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleSetupMemXfer(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleSetupFileXfer(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleXferGroup(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleImageInfo(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleImageLayout(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleImageMemXfer(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleImageNativeXfer(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleImageFileXfer(const TripletCall &call) { return NotOffered(call); }
