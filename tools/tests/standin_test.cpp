// TWAIN32.DLL as the 4.12 source uses it: loaded by name, DSM_Entry called,
// freed again. With a handler registered every call must reach the host;
// without one it must reach Wine's TWAIN_32.DLL.
#include <windows.h>
#include "check.h"
#include "twain32/standin.h"

namespace {

struct Received {
    int calls;
    TW_IDENTITY *origin, *dest;
    TW_UINT32 dg;
    TW_UINT16 dat, msg;
    TW_MEMREF data;
};
Received Got;

TW_UINT16 WINAPI Handler(TW_IDENTITY *origin, TW_IDENTITY *dest, TW_UINT32 dg, TW_UINT16 dat,
                         TW_UINT16 msg, TW_MEMREF data)
{
    Got.calls++;
    Got.origin = origin;
    Got.dest = dest;
    Got.dg = dg;
    Got.dat = dat;
    Got.msg = msg;
    Got.data = data;
    return 0x5A5A; // no TWAIN code: proves the value comes back unchanged
}

// What the source does for each message it sends.
TW_UINT16 CallLikeSource(TW_IDENTITY *origin, TW_IDENTITY *dest, TW_UINT32 dg, TW_UINT16 dat,
                         TW_UINT16 msg, TW_MEMREF data)
{
    HMODULE module = LoadLibraryA("TWAIN32.DLL");
    if (module == nullptr)
        return 0xFFFF;
    DsmEntryFn entry =
        reinterpret_cast<DsmEntryFn>(reinterpret_cast<void *>(GetProcAddress(module, "DSM_Entry")));
    TW_UINT16 rc = entry ? entry(origin, dest, dg, dat, msg, data) : TW_UINT16(0xFFFE);
    FreeLibrary(module);
    return rc;
}

DsmEntryFn WineEntry(HMODULE *module)
{
    *module = LoadLibraryA("TWAIN_32.DLL");
    return *module ? reinterpret_cast<DsmEntryFn>(
                         reinterpret_cast<void *>(GetProcAddress(*module, "DSM_Entry")))
                   : nullptr;
}

void CheckHandlerGetsEveryCall(StandInSetHandlerFn setHandler)
{
    TW_IDENTITY source = {}, app = {};
    source.Id = 7;
    app.Id = 3;
    CHECK(setHandler(Handler) == nullptr, "a handler was registered before the test");
    struct Call {
        TW_UINT16 msg;
        TW_MEMREF data;
    } calls[] = {{MSG_XFERREADY, nullptr}, {MSG_CLOSEDSREQ, &app}, {MSG_XFERREADY, nullptr}};
    int n = 0;
    // Each call loads and frees the library like the source: the host's own
    // reference must keep the registration alive across all of them.
    for (const Call &c : calls) {
        Got = Received();
        TW_UINT16 rc = CallLikeSource(&source, &app, DG_CONTROL, DAT_NULL, c.msg, c.data);
        CHECK(rc == 0x5A5A, "call %d: rc 0x%X", n, rc);
        CHECK(Got.calls == 1, "call %d: handler called %d times", n, Got.calls);
        CHECK(Got.origin == &source && Got.dest == &app, "call %d: identities not passed", n);
        CHECK(Got.dg == DG_CONTROL && Got.dat == DAT_NULL && Got.msg == c.msg,
              "call %d: triplet %lu/%u/%u", n, (unsigned long)Got.dg, Got.dat, Got.msg);
        CHECK(Got.data == c.data, "call %d: data pointer changed", n);
        ++n;
    }
    CHECK(setHandler(nullptr) == Handler, "unregistering did not return the handler");
}

// Wine's manager accepts MSG_OPENDSM once; a second one fails. So if the
// call through TWAIN32.DLL opened it, a direct second open must fail.
void CheckForwardingWithoutHandler(DsmEntryFn wine)
{
    TW_IDENTITY app = {};
    app.Id = 1;
    app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    HWND window = nullptr;
    Got = Received();
    TW_UINT16 rc = CallLikeSource(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window);
    CHECK(rc == TWRC_SUCCESS, "forwarded MSG_OPENDSM rc %u", rc);
    CHECK(Got.calls == 0, "handler called although unregistered");
    rc = wine(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window);
    CHECK(rc == TWRC_FAILURE, "Wine's manager was not opened through TWAIN32.DLL (rc %u)", rc);
    rc = CallLikeSource(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
    CHECK(rc == TWRC_SUCCESS, "forwarded MSG_CLOSEDSM rc %u", rc);
}

// With a handler registered Wine's manager must not see the call: it stays
// closed, so a direct open then succeeds.
void CheckNoForwardingWithHandler(StandInSetHandlerFn setHandler, DsmEntryFn wine)
{
    TW_IDENTITY app = {};
    app.Id = 1;
    HWND window = nullptr;
    setHandler(Handler);
    CallLikeSource(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window);
    setHandler(nullptr);
    TW_UINT16 rc = wine(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window);
    CHECK(rc == TWRC_SUCCESS, "Wine's manager was reached despite the handler (rc %u)", rc);
    wine(&app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
}

} // namespace

int main()
{
    // The host's reference, as the acquisition tool keeps it.
    HMODULE standIn = LoadLibraryA("TWAIN32.DLL");
    CHECK(standIn != nullptr, "TWAIN32.DLL not found (error %lu)", GetLastError());
    if (standIn == nullptr)
        return CheckResult();
    StandInSetHandlerFn setHandler = reinterpret_cast<StandInSetHandlerFn>(
        reinterpret_cast<void *>(GetProcAddress(standIn, "StandIn_SetHandler")));
    CHECK(setHandler != nullptr, "StandIn_SetHandler not exported undecorated");
    CHECK(GetProcAddress(standIn, "DSM_Entry") != nullptr, "DSM_Entry not exported undecorated");
    HMODULE wineModule;
    DsmEntryFn wine = WineEntry(&wineModule);
    CHECK(wine != nullptr, "Wine's TWAIN_32.DLL not available");
    if (setHandler != nullptr) {
        CheckHandlerGetsEveryCall(setHandler);
        if (wine != nullptr) {
            CheckForwardingWithoutHandler(wine);
            CheckNoForwardingWithHandler(setHandler, wine);
        }
    }
    FreeLibrary(standIn);
    return CheckResult();
}
