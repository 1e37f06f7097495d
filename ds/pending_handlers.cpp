// The image transfers, which the source does not offer yet. They
// fail as an unknown protocol would, quietly, so an application can go on.
#include "ds/source_state.h"
#include "ds/triplets.h"

static TW_UINT16 NotOffered(const TripletCall &)
{
    ConditionCode = TWCC_BADPROTOCOL;
    return TWRC_FAILURE;
}

TW_UINT16 HandleImageMemXfer(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleImageNativeXfer(const TripletCall &call) { return NotOffered(call); }
TW_UINT16 HandleImageFileXfer(const TripletCall &call) { return NotOffered(call); }
