// What the transfer files share among themselves.
#pragma once
#include "acquire/transfer.h"

// Milliseconds from a fine clock.
unsigned long TransferClock();
// "transfer: MECH bytes=N ms=T: rc=R (NAME)", with the condition code after a failure.
void ReportTransferResult(Link *link, const char *mech, TW_UINT16 rc, unsigned long bytes,
                          unsigned long ms);
int TransferMemory(Link *link, const Options *opt, ImageTransfer *t);
