// Messages the source sends back to the application through the source
// manager library.
#pragma once

// State 6, then MSG_XFERREADY.
void SignalXferReady();
// MSG_CLOSEDSREQ; the state is not changed.
void RequestClose();
