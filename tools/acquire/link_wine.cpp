// The tool as an application of Wine's source manager, for 4.12X sources.
// Wine's TWAIN_32.DLL lists only C:\windows\twain_32\sane.ds and gphoto2.ds;
// the caller copies the source over gphoto2.ds and runs with
// WINEDLLOVERRIDES=gphoto2.ds=n (tools/acquire.sh does both).
#include <string.h>
#include "acquire/link.h"
#include "acquire/report.h"

namespace {

// Wine's manager assigns no application Id; give one, distinct from the Ids it
// gives sources (0, 1, ...), so that a mix-up of the two shows.
const TW_UINT32 kAppId = 7;

void CopyName(char *to, const char *from)
{
    size_t n = strnlen(from, sizeof(TW_STR32) - 1);
    memcpy(to, from, n);
    to[n] = '\0';
}

// The ProductName that the .ds reports, read by loading it briefly: it says
// which entry of the manager's list is the source we were asked to drive.
bool ReadProductName(const char *path, TW_IDENTITY *app, char *name)
{
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr)
        return false;
    DsEntryFn entry = reinterpret_cast<DsEntryFn>(
        reinterpret_cast<void *>(GetProcAddress(module, "DS_Entry")));
    TW_IDENTITY id = {};
    bool ok = entry && entry(app, DG_CONTROL, DAT_IDENTITY, MSG_GET, &id) == TWRC_SUCCESS;
    if (ok)
        CopyName(name, id.ProductName);
    FreeLibrary(module);
    return ok;
}

bool MadeByWine(const TW_IDENTITY *id)
{
    return strstr(id->Manufacturer, "Wine") != nullptr;
}

bool Wanted(const TW_IDENTITY *id, const char *name)
{
    if (name[0] != '\0')
        return strncmp(id->ProductName, name, sizeof(TW_STR32)) == 0;
    return !MadeByWine(id);
}

// Lists every source the manager knows ("source: ..."), keeping the first
// wanted one.
int ChooseSource(Link *link, const char *name)
{
    TW_IDENTITY id = {};
    bool found = false;
    TW_UINT16 rc = WineManagerCall(link, DAT_IDENTITY, MSG_GETFIRST, &id);
    while (rc == TWRC_SUCCESS) {
        ReportIdentity("source", &id);
        if (!found && Wanted(&id, name)) {
            link->source = id;
            found = true;
        }
        memset(&id, 0, sizeof id);
        rc = WineManagerCall(link, DAT_IDENTITY, MSG_GETNEXT, &id);
    }
    if (rc != TWRC_ENDOFLIST) {
        TW_UINT16 cc = 0;
        LinkStatus(link, true, &cc);
        Report("sources: rc=%u (%s) cc=%u", rc, ReturnCodeName(rc), cc);
    }
    if (!found) {
        char quoted[200];
        QuoteCp932(name, sizeof(TW_STR32), quoted, sizeof quoted);
        Report("sources: none matches ProductName=\"%s\"", quoted);
        return LINK_NO_SOURCE;
    }
    ReportIdentity("identity", &link->source);
    return LINK_OK;
}

int OpenManager(Link *link)
{
    link->dsmModule = LoadLibraryA("TWAIN_32.DLL");
    if (link->dsmModule == nullptr) {
        Report("dsm: cannot load TWAIN_32.DLL (error %lu)", GetLastError());
        return LINK_NO_LIBRARY;
    }
    link->dsmEntry = reinterpret_cast<DsmEntryFn>(
        reinterpret_cast<void *>(GetProcAddress(link->dsmModule, "DSM_Entry")));
    if (link->dsmEntry == nullptr) {
        Report("dsm: TWAIN_32.DLL has no DSM_Entry");
        return LINK_NO_ENTRY;
    }
    // The parent is passed as a pointer to the window handle.
    TW_UINT16 rc = WineManagerCall(link, DAT_PARENT, MSG_OPENDSM, &link->window);
    Report("opendsm: rc=%u (%s)", rc, ReturnCodeName(rc));
    if (rc != TWRC_SUCCESS)
        return LINK_FAILED;
    link->dsmOpen = true;
    return LINK_OK;
}

} // namespace

int WineStart(Link *link, const Options *opt)
{
    link->app.Id = kAppId;
    char name[sizeof(TW_STR32)] = "";
    if (opt->product != nullptr) {
        CopyName(name, opt->product);
    } else if (opt->dsPath != nullptr && !ReadProductName(opt->dsPath, &link->app, name)) {
        Report("ds: cannot read the identity of \"%s\" (error %lu)", opt->dsPath, GetLastError());
        return LINK_NO_SOURCE;
    }
    int rc = OpenManager(link);
    return rc == LINK_OK ? ChooseSource(link, name) : rc;
}

TW_UINT16 WineManagerCall(Link *link, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return link->dsmEntry(&link->app, nullptr, DG_CONTROL, dat, msg, data);
}

TW_UINT16 WineCall(Link *link, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return link->dsmEntry(&link->app, &link->source, dg, dat, msg, data);
}

void WineStop(Link *link)
{
    if (link->dsmOpen) {
        TW_UINT16 rc = WineManagerCall(link, DAT_PARENT, MSG_CLOSEDSM, &link->window);
        Report("closedsm: rc=%u (%s)", rc, ReturnCodeName(rc));
        link->dsmOpen = false;
    }
    if (link->dsmModule != nullptr)
        FreeLibrary(link->dsmModule);
    link->dsmModule = nullptr;
}
