// The tool as its own minimal source manager, for 4.12 sources: it loads the
// .ds itself and receives the source's messages through TWAIN32.DLL.
#include <string.h>
#include "acquire/link.h"
#include "acquire/report.h"

namespace {

// Ids handed out by this manager; distinct so that a mix-up shows in the log.
const TW_UINT32 kAppId = 1;
const TW_UINT32 kSourceId = 2;

// TWAIN32.DLL's handler carries no context of its own.
Link *OwnLink = nullptr;

bool IsSourceMessage(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg)
{
    return dg == DG_CONTROL && dat == DAT_NULL && (msg == MSG_XFERREADY || msg == MSG_CLOSEDSREQ);
}

// Runs inside the source's DS_Entry (or its dialog procedure): queue the
// event and wake the message loop; the session acts on it from the loop.
TW_UINT16 WINAPI ReceiveFromSource(TW_IDENTITY *origin, TW_IDENTITY *dest, TW_UINT32 dg,
                                   TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    unsigned originId = origin ? unsigned(origin->Id) : 0;
    unsigned destId = dest ? unsigned(dest->Id) : 0;
    Report("dsm: received origin.Id=%u dest.Id=%u DG=0x%X DAT=0x%04X MSG=0x%04X (%s) data=%s",
           originId, destId, unsigned(dg), dat, msg, MessageName(msg), data ? "set" : "null");
    Link *link = OwnLink;
    if (link == nullptr || !IsSourceMessage(dg, dat, msg))
        return TWRC_FAILURE;
    // A manager finds the sender by its identity; a source that sends a
    // stale or foreign identity would not be heard.
    if (originId != link->source.Id || destId != link->app.Id) {
        Report("dsm: refused: identities do not match the open session (source %u, app %u)",
               unsigned(link->source.Id), unsigned(link->app.Id));
        return TWRC_FAILURE;
    }
    LinkQueueEvent(link, msg);
    PostMessageA(link->window, WM_NULL, 0, 0);
    return TWRC_SUCCESS;
}

// TWAIN32.DLL from the tool's own directory: the source loads it by bare
// name later and then gets this very module, with our handler in it.
HMODULE LoadStandIn()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    char *slash = n ? strrchr(path, '\\') : nullptr;
    HMODULE module = nullptr;
    if (slash != nullptr && size_t(slash - path) + 13 < sizeof path) {
        strcpy(slash + 1, "TWAIN32.DLL");
        module = LoadLibraryA(path);
    }
    if (module == nullptr) {
        strcpy(path, "TWAIN32.DLL");
        module = LoadLibraryA(path);
    }
    if (module != nullptr)
        Report("standin: loaded \"%s\"", path);
    return module;
}

int RegisterHandler(Link *link)
{
    link->standIn = LoadStandIn();
    if (link->standIn == nullptr) {
        Report("standin: TWAIN32.DLL not found (error %lu)", GetLastError());
        return LINK_NO_LIBRARY;
    }
    StandInSetHandlerFn setHandler = reinterpret_cast<StandInSetHandlerFn>(
        reinterpret_cast<void *>(GetProcAddress(link->standIn, "StandIn_SetHandler")));
    if (setHandler == nullptr) {
        Report("standin: StandIn_SetHandler not exported");
        return LINK_NO_ENTRY;
    }
    OwnLink = link;
    setHandler(ReceiveFromSource);
    return LINK_OK;
}

int LoadSource(Link *link, const char *path)
{
    link->dsModule = LoadLibraryA(path);
    if (link->dsModule == nullptr) {
        Report("ds: cannot load \"%s\" (error %lu)", path, GetLastError());
        return LINK_NO_LIBRARY;
    }
    link->dsEntry = reinterpret_cast<DsEntryFn>(
        reinterpret_cast<void *>(GetProcAddress(link->dsModule, "DS_Entry")));
    if (link->dsEntry == nullptr) {
        Report("ds: no DS_Entry export in \"%s\"", path);
        return LINK_NO_ENTRY;
    }
    Report("ds: loaded \"%s\"", path);
    return LINK_OK;
}

} // namespace

int OwnStart(Link *link, const Options *opt)
{
    int rc = RegisterHandler(link);
    if (rc == LINK_OK)
        rc = LoadSource(link, opt->dsPath);
    if (rc != LINK_OK)
        return rc;
    link->app.Id = kAppId;
    TW_UINT16 twrc = OwnCall(link, DG_CONTROL, DAT_IDENTITY, MSG_GET, &link->source);
    if (twrc != TWRC_SUCCESS) {
        Report("identity: rc=%u (%s)", twrc, ReturnCodeName(twrc));
        return LINK_NO_SOURCE;
    }
    ReportIdentity("identity", &link->source);
    // The manager assigns the source's Id before MSG_OPENDS hands it over.
    link->source.Id = kSourceId;
    return LINK_OK;
}

TW_UINT16 OwnCall(Link *link, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return link->dsEntry(&link->app, dg, dat, msg, data);
}

void OwnStop(Link *link)
{
    if (link->standIn != nullptr) {
        StandInSetHandlerFn setHandler = reinterpret_cast<StandInSetHandlerFn>(
            reinterpret_cast<void *>(GetProcAddress(link->standIn, "StandIn_SetHandler")));
        if (setHandler != nullptr)
            setHandler(nullptr);
        OwnLink = nullptr;
    }
    if (link->dsModule != nullptr)
        FreeLibrary(link->dsModule);
    if (link->standIn != nullptr)
        FreeLibrary(link->standIn);
    link->dsModule = nullptr;
    link->standIn = nullptr;
}
