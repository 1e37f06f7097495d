#include "acquire/link.h"
#include <string.h>
#include "acquire/report.h"

namespace {

// What the tool tells the source and the manager about itself. Not
// "TWAIN Sample App": sources treat that application specially.
void InitAppIdentity(TW_IDENTITY *app)
{
    memset(app, 0, sizeof *app);
    app->Version.MajorNum = 1;
    app->Version.MinorNum = 0;
    app->Version.Language = TWLG_USA;
    app->Version.Country = TWCY_USA;
    strcpy(app->Version.Info, "acquire 1.0");
    app->ProtocolMajor = 1;
    app->ProtocolMinor = 5;
    app->SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(app->Manufacturer, "flatbed-ds project");
    strcpy(app->ProductFamily, "tools");
    strcpy(app->ProductName, "acquire");
}

} // namespace

int LinkStart(Link *link, const Options *opt, HWND window)
{
    memset(link, 0, sizeof *link);
    link->kind = opt->dsm;
    link->window = window;
    InitAppIdentity(&link->app);
    return link->kind == DSM_WINE ? WineStart(link, opt) : OwnStart(link, opt);
}

TW_UINT16 LinkOpenSource(Link *link)
{
    if (link->kind == DSM_WINE)
        return WineManagerCall(link, DAT_IDENTITY, MSG_OPENDS, &link->source);
    return OwnCall(link, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &link->source);
}

TW_UINT16 LinkCloseSource(Link *link)
{
    if (link->kind == DSM_WINE)
        return WineManagerCall(link, DAT_IDENTITY, MSG_CLOSEDS, &link->source);
    return OwnCall(link, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &link->source);
}

TW_UINT16 LinkCall(Link *link, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    if (link->kind == DSM_WINE)
        return WineCall(link, dg, dat, msg, data);
    return OwnCall(link, dg, dat, msg, data);
}

TW_UINT16 LinkStatus(Link *link, bool ofManager, TW_UINT16 *cc)
{
    TW_STATUS status = {};
    TW_UINT16 rc;
    if (ofManager && link->kind == DSM_WINE)
        rc = WineManagerCall(link, DAT_STATUS, MSG_GET, &status);
    else
        rc = LinkCall(link, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    *cc = status.ConditionCode;
    return rc;
}

TW_UINT16 LinkReport(Link *link, const char *key, TW_UINT16 rc, bool ofManager)
{
    Report("%s: rc=%u (%s)", key, rc, ReturnCodeName(rc));
    if (rc == TWRC_FAILURE)
        LinkReportStatus(link, ofManager);
    return rc;
}

void LinkReportStatus(Link *link, bool ofManager)
{
    TW_UINT16 cc = 0;
    TW_UINT16 src = LinkStatus(link, ofManager, &cc);
    if (src == TWRC_SUCCESS)
        Report("status: cc=%u (%s)", cc, ConditionCodeName(cc));
    else
        Report("status: rc=%u (%s)", src, ReturnCodeName(src));
}

TW_UINT16 LinkProcessEvent(Link *link, MSG *msg)
{
    TW_EVENT event = {};
    event.pEvent = msg;
    event.TWMessage = MSG_NULL;
    TW_UINT16 rc = LinkCall(link, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    // Wine's manager announces the source's messages here; our own manager
    // has queued them already when the source called TWAIN32.DLL.
    if (rc == TWRC_DSEVENT && event.TWMessage != MSG_NULL)
        LinkQueueEvent(link, event.TWMessage);
    return rc;
}

void LinkQueueEvent(Link *link, TW_UINT16 msg)
{
    if (link->pendingCount < LINK_MAX_PENDING)
        link->pending[link->pendingCount++] = msg;
}

bool LinkTakeEvent(Link *link, TW_UINT16 *msg)
{
    if (link->pendingCount == 0)
        return false;
    *msg = link->pending[0];
    memmove(link->pending, link->pending + 1, (link->pendingCount - 1) * sizeof link->pending[0]);
    --link->pendingCount;
    return true;
}

void LinkStop(Link *link)
{
    if (link->kind == DSM_WINE)
        WineStop(link);
    else
        OwnStop(link);
}
