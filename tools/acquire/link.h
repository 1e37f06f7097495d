// The path from the tool to the source: either the tool is its own source
// manager (it loads the .ds and calls DS_Entry, and receives the source's
// messages through TWAIN32.DLL), or it goes through Wine's TWAIN_32.DLL.
// Both present the same calls to the session.
#pragma once
#include <windows.h>
#include "acquire/options.h"
#include "ds/twain_types.h"
#include "twain32/standin.h"

typedef TW_UINT16(WINAPI *DsEntryFn)(TW_IDENTITY *origin, TW_UINT32 dg, TW_UINT16 dat,
                                     TW_UINT16 msg, TW_MEMREF data);

enum LinkResult {
    LINK_OK = 0,
    LINK_NO_LIBRARY = 1, // the .ds, TWAIN32.DLL or TWAIN_32.DLL did not load
    LINK_NO_ENTRY = 2,   // DS_Entry, DSM_Entry or StandIn_SetHandler missing
    LINK_NO_SOURCE = 3,  // the source did not give its identity / is not listed
    LINK_FAILED = 4,     // the manager refused (MSG_OPENDSM)
};

enum { LINK_MAX_PENDING = 8 };

struct Link {
    int kind; // DSM_OWN or DSM_WINE
    HWND window;
    TW_IDENTITY app;
    TW_IDENTITY source;
    // Own manager.
    HMODULE dsModule;
    DsEntryFn dsEntry;
    HMODULE standIn;
    // Wine's manager.
    HMODULE dsmModule;
    DsmEntryFn dsmEntry;
    bool dsmOpen;
    // MSG_XFERREADY / MSG_CLOSEDSREQ received and not yet taken by the session.
    TW_UINT16 pending[LINK_MAX_PENDING];
    int pendingCount;
};

// Loads the manager side and finds the source's identity (printed as
// "identity: ..."). Does not open the source.
int LinkStart(Link *link, const Options *opt, HWND window);
// MSG_OPENDS / MSG_CLOSEDS of the source.
TW_UINT16 LinkOpenSource(Link *link);
TW_UINT16 LinkCloseSource(Link *link);
// A triplet for the source.
TW_UINT16 LinkCall(Link *link, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
// Condition code after a failure: of the source, or of the manager itself.
TW_UINT16 LinkStatus(Link *link, bool ofManager, TW_UINT16 *cc);
// Prints "key: rc=N (NAME)" and, after a failure, the condition code
// ("status: cc=N (NAME)"). Returns rc.
TW_UINT16 LinkReport(Link *link, const char *key, TW_UINT16 rc, bool ofManager);
// Only the condition code line, after a failure reported otherwise.
void LinkReportStatus(Link *link, bool ofManager);
// Passes one window message through MSG_PROCESSEVENT. Returns the TWAIN
// return code; the source's event, if the message carried one, is queued.
TW_UINT16 LinkProcessEvent(Link *link, MSG *msg);
// Takes the oldest queued event; false when none.
bool LinkTakeEvent(Link *link, TW_UINT16 *msg);
// Unloads what LinkStart loaded (closing Wine's manager).
void LinkStop(Link *link);

// The two kinds, behind the calls above.
int OwnStart(Link *link, const Options *opt);
TW_UINT16 OwnCall(Link *link, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
void OwnStop(Link *link);
int WineStart(Link *link, const Options *opt);
TW_UINT16 WineManagerCall(Link *link, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
TW_UINT16 WineCall(Link *link, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
void WineStop(Link *link);

void LinkQueueEvent(Link *link, TW_UINT16 msg);
