// DAT_STATUS: reports the condition code of the last failure once.
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/triplets.h"

TW_UINT16 HandleStatus(const TripletCall &call)
{
    if (call.msg != MSG_GET)
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_STATUS);
    TW_STATUS *status = static_cast<TW_STATUS *>(call.data);
    status->ConditionCode = ConditionCode;
    status->Reserved = 0;
    ConditionCode = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}
