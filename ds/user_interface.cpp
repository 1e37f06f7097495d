// DAT_USERINTERFACE: enable and disable the source.
#include "device/device_ops.h"
#include "device/identify.h"
#include "ds/app_notify.h"
#include "ds/dialogs.h"
#include "ds/exported_procs.h"
#include "ds/failure.h"
#include "ds/source_state.h"
#include "ds/triplets.h"
#include "scan/progress_box.h"
#include "scan/temp_files.h"
#include "ui/scan_settings.h"
#include "ui/settings_store.h"

// Set by the main dialog while its controls are disabled for want of a
// scanner; the scanner's job is then not ended on close.
bool MainDialogWithoutScanner;

namespace {

// No diagnostic dialog is built in yet: the modal wrapper then returns 0.
const DLGPROC kDiagnosticProcedure = nullptr;
// Nor a main dialog template: creating the dialog then fails as out of memory.
const DLGPROC kMainProcedure = Setting;

bool FindScannerWithUserHelp(HWND owner)
{
    Identify(owner);
    if (ScannerPresent())
        return true;
    RunModalDialog(DIALOG_DIAGNOSTIC, owner, kDiagnosticProcedure);
    Identify(owner);
    return ScannerPresent();
}

TW_UINT16 ShowMainDialog()
{
    SettingInstalled = true;
    MainDialog = CreateModelessDialog(DIALOG_MAIN, OwnerWindow, kMainProcedure);
    if (MainDialog == nullptr) {
        SettingInstalled = false;
        return FailTriplet(TWCC_LOWMEMORY, FAIL_ENABLEDS);
    }
    ShowWindow(MainDialog, SW_SHOW);
    SourceState = 5;
    return TWRC_SUCCESS;
}

TW_UINT16 EnableWithoutDialog()
{
    ScanSettings.Brightness = 128;
    DeleteRecordedTempScanFile();
    SignalXferReady();
    return TWRC_SUCCESS;
}

TW_UINT16 EnableSource(const TW_USERINTERFACE &ui)
{
    if (SourceState != 4)
        return FailTriplet(TWCC_SEQERROR, FAIL_ENABLEDS);
    OwnerWindow = static_cast<HWND>(ui.hParent);
    ReadSettings();
    if (!FindScannerWithUserHelp(OwnerWindow)) {
        SourceState = 5;
        RequestClose();
        return TWRC_FAILURE;
    }
    WriteSettings();
    return ui.ShowUI ? ShowMainDialog() : EnableWithoutDialog();
}

TW_UINT16 DisableSource(const TW_USERINTERFACE &ui)
{
    if (SourceState < 5 || SourceState > 7)
        return FailTriplet(TWCC_SEQERROR, FAIL_DISABLEDS);
    if (ui.ShowUI == 0 && MainDialog != nullptr)
        ShowWindow(MainDialog, SW_HIDE);
    EndDialogSession();
    SourceState = 4;
    return TWRC_SUCCESS;
}

} // namespace

void EndDialogSession()
{
    // Transfers without the dialog show a progress box too.
    ProgressEnd();
    if (MainDialog != nullptr) {
        if (ScannerPresent() && !MainDialogWithoutScanner)
            Dev_EndScan();
        DestroyWindow(MainDialog);
        MainDialog = nullptr;
    }
    SettingInstalled = false;
}

TW_UINT16 HandleUserInterface(const TripletCall &call)
{
    const TW_USERINTERFACE &ui = *static_cast<const TW_USERINTERFACE *>(call.data);
    switch (call.msg) {
    case MSG_ENABLEDS:
        return EnableSource(ui);
    case MSG_DISABLEDS:
        return DisableSource(ui);
    default:
        return FailTriplet(TWCC_BADPROTOCOL, FAIL_USERINTERFACE);
    }
}
