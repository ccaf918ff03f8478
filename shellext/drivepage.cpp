// The "Salvora" page of a drive's property sheet: delete tracking, the
// Trashcan's size and the day count of one drive, handed to the driver and
// recorded in Salvora.ini. The numbers come from pagevalues.h; this file
// gathers them from the dialog and the disk, and applies them.
#include "shellext/drivepage.h"

#include <commctrl.h>
#include <new>
#include <stddef.h>
#include <string.h>

#include "driver/driver.h"
#include "paths/modulepath.h"
#include "shellext/cleartrashcan.h"
#include "shellext/drivesettings.h"
#include "shellext/messages.h"
#include "shellext/pagevalues.h"
#include "shellext/resource.h"
#include "shellext/selection.h"
#include "shellext/server.h"
#include "shellext/undelete.h"

namespace {

// The page description of Windows 95 is 40 bytes: its comctl32 knows no
// later fields.
static_assert(sizeof(void*) != 4 || offsetof(PROPSHEETPAGEA, pcRefParent) + sizeof(UINT*) == 40,
              "the Windows 95 page description is 40 bytes");
// The sheet counts the page in ObjectCount through a UINT pointer.
static_assert(sizeof ObjectCount == sizeof(UINT), "ObjectCount is a 32-bit count");

const DWORD kPageFlags = PSP_USEICONID | PSP_USETITLE | PSP_USEREFPARENT;
static_assert(kPageFlags == 0x4C, "icon, title and reference parent");

const char kHelpName[] = "slvrsext.hlp";

// Posted by the page to itself at WM_INITDIALOG. A sheet may reset its
// Apply button after it has created the page (Wine's does), which would undo
// the change the page reported while it was being initialised; this tells
// it again once the sheet is up.
const UINT WM_PAGEREADY = WM_APP + 1;

// What one page knows, kept with its window (DWLP_USER) from WM_INITDIALOG
// to WM_NCDESTROY. The drive comes with the page description, fixed when
// AddPages ran: the shell's later selections, which overwrite FirstPath and
// SelectedDrive, do not move the page to another drive.
struct DrivePage {
    HWND window;
    int drive;                     // 1 for A: .. 26 for Z:
    char root[4];                  // "X:\"
    bool trackingEnabled;
    bool dayCountEnabled;
    uint16_t maxPercent;
    uint8_t dayCount;
    DiskGeometry disk;
    char initialDayCountText[4];
    bool pageModified;
};

// Every control but the tracking box itself: tracking switches them on and
// off together (the day count's edit and arrows also follow their own box).
const int kTrackingFollowers[] = {
    IDC_PAGE_PERCENT,       IDC_PAGE_DAYCOUNT_ON,    IDC_PAGE_DAYCOUNT_SPIN,
    IDC_PAGE_DAYCOUNT,      IDC_PAGE_PERCENT_TEXT,   IDC_PAGE_SCALE_LOW,
    IDC_PAGE_PERCENT_LABEL, IDC_PAGE_SCALE_HIGH,     IDC_PAGE_CLEAR,
    IDC_PAGE_UNDELETE,      IDC_PAGE_CLEAR_LABEL,    IDC_PAGE_UNDELETE_LABEL,
    IDC_PAGE_UNDELETE_GROUP, IDC_PAGE_TRASHCAN_GROUP, IDC_PAGE_CLEAR_GROUP,
};

DrivePage* PageOf(HWND window)
{
    return reinterpret_cast<DrivePage*>(GetWindowLongPtrA(window, DWLP_USER));
}

bool IsChecked(HWND window, int id)
{
    return IsDlgButtonChecked(window, id) == BST_CHECKED;
}

void EnableControl(HWND window, int id, bool enable)
{
    EnableWindow(GetDlgItem(window, id), enable);
}

void ShowMessage(HWND window, UINT stringId)
{
    MessageFromString(window, stringId, kShellExtCaption, MB_OK | MB_ICONEXCLAMATION);
}

// --- the page's state ------------------------------------------------------

void MarkPageChanged(DrivePage* page)
{
    SendMessageA(GetParent(page->window), PSM_CHANGED, (WPARAM)page->window, 0);
    page->pageModified = true;
}

void UpdateEnableStates(DrivePage* page)
{
    HWND window = page->window;
    // The page counts as changed from the start: Apply is enabled at once.
    MarkPageChanged(page);
    bool tracking = IsChecked(window, IDC_PAGE_TRACKING);
    if (tracking != page->trackingEnabled)
        MarkPageChanged(page);
    page->trackingEnabled = tracking;
    for (int id : kTrackingFollowers)
        EnableControl(window, id, tracking);
    if (tracking) {
        page->dayCountEnabled = IsChecked(window, IDC_PAGE_DAYCOUNT_ON);
        if (!page->dayCountEnabled) {
            EnableControl(window, IDC_PAGE_DAYCOUNT_SPIN, false);
            EnableControl(window, IDC_PAGE_DAYCOUNT, false);
        }
    }
}

void UpdatePercentText(DrivePage* page)
{
    LRESULT position = SendDlgItemMessageA(page->window, IDC_PAGE_PERCENT, TBM_GETPOS, 0, 0);
    uint16_t percent = (uint16_t)(position < 0 ? 0 : position > 100 ? 100 : position);
    if (percent != page->maxPercent)
        MarkPageChanged(page);
    page->maxPercent = percent;
    char text[64];
    FormatPercentText(percent, page->disk.diskSize, text, sizeof text);
    SetDlgItemTextA(page->window, IDC_PAGE_PERCENT_TEXT, text);
}

void InitDrivePage(DrivePage* page, const DriveRecord& record)
{
    HWND window = page->window;
    page->maxPercent = 5;
    page->dayCount = 5;

    // A disk that does not answer leaves the counts at 0: a size of 0.
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    GetDiskFreeSpaceA(page->root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                      &totalClusters);
    page->disk = GeometryOf(sectorsPerCluster, bytesPerSector, totalClusters);

    PageStart start = PageStartOf(record);
    page->trackingEnabled = start.tracking;
    page->maxPercent = start.maxPercent;
    page->dayCount = start.dayCount;

    CheckDlgButton(window, IDC_PAGE_TRACKING, start.tracking ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(window, IDC_PAGE_DAYCOUNT_ON,
                   start.dayCountChecked ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageA(window, IDC_PAGE_PERCENT, TBM_SETPOS, TRUE, page->maxPercent);
    // The text first: setting the edit's text makes it report a change,
    // which is measured against this text.
    lstrcpynA(page->initialDayCountText, start.dayCountText, sizeof page->initialDayCountText);
    SetDlgItemTextA(window, IDC_PAGE_DAYCOUNT, page->initialDayCountText);

    UpdateEnableStates(page);
    UpdatePercentText(page);
}

// True when the day count is off or its text is a number from 0 to 100
// (then taken as DayCount); otherwise the user is told, and false.
bool ValidateDayCount(DrivePage* page)
{
    if (!IsChecked(page->window, IDC_PAGE_DAYCOUNT_ON))
        return true;
    // One character more than is read: a longer text is refused, not cut.
    char text[kDayCountTextMax + 2];
    text[0] = '\0';
    GetDlgItemTextA(page->window, IDC_PAGE_DAYCOUNT, text, sizeof text);
    uint8_t dayCount = 0;
    if (!ParseDayCount(text, &dayCount)) {
        ShowMessage(page->window, IDS_BAD_DAYCOUNT);
        return false;
    }
    page->dayCount = dayCount;
    return true;
}

// --- Apply -----------------------------------------------------------------

// Hands the page's values to the driver and records every tracked drive in
// Salvora.ini. False, with nothing sent or written, when the day count is
// not valid.
bool ApplyDrivePage(DrivePage* page)
{
    if (!page->pageModified)
        return true;
    // Asked before the turn is taken: the user's answer must keep no other
    // sheet waiting.
    if (page->trackingEnabled) {
        page->dayCount = 0;
        if (!ValidateDayCount(page))
            return false;
    }

    DriveRecord settings = {(uint8_t)page->drive, 0, 0, 0, 0, 0};
    if (page->trackingEnabled)
        settings = TrackedDriveRecord(page->drive, page->disk, page->maxPercent, page->dayCount);
    bool saved = WriteBackDriveSettings(settings);
    if (!saved)
        ShowMessage(page->window, IDS_CANNOT_SAVE_CONFIG);
    page->pageModified = false;
    return true;
}

// --- the dialog procedure --------------------------------------------------

void ShowHelp(HWND window, const HELPINFO* info)
{
    if (!info)
        return;
    int id = info->iCtrlId;
    if (id == IDC_PAGE_CLEAR || (id >= IDC_PAGE_TRACKING && id <= IDC_PAGE_DAYCOUNT_SPIN)) {
        // Without its help file a pop-up can only say that the file is
        // missing; a beep says it shorter.
        char path[kPathBufferSize];
        if (!ModuleSiblingPath(DllModule, kHelpName, path) ||
            GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ||
            !WinHelpA(window, path, HELP_CONTEXTPOPUP, (ULONG_PTR)id))
            MessageBeep(0);
        return;
    }
    WinHelpA(window, NULL, HELP_CONTEXTPOPUP, 0);
}

void OnCommand(DrivePage* page, int id, HWND control)
{
    HWND edit = GetDlgItem(page->window, IDC_PAGE_DAYCOUNT);
    if (control && control == edit) {
        char text[kPathBufferSize];
        text[0] = '\0';
        GetWindowTextA(edit, text, sizeof text);
        if (strcmp(text, page->initialDayCountText) != 0)
            MarkPageChanged(page);
    }
    switch (id) {
    case IDC_PAGE_CLEAR:
        ClearTrashcanOfDrive(page->drive, page->window);
        break;
    case IDC_PAGE_TRACKING:
    case IDC_PAGE_DAYCOUNT_ON:
        UpdateEnableStates(page);
        break;
    case IDC_PAGE_UNDELETE:
        LaunchUndelete(page->root, UndeleteMode::Drive);
        break;
    }
}

INT_PTR OnNotify(DrivePage* page, const NMHDR* header)
{
    HWND window = page->window;
    if (!header)
        return FALSE;
    switch (header->code) {
    case PSN_KILLACTIVE:
        // TRUE keeps the page up until the day count is put right.
        SetWindowLongPtrA(window, DWLP_MSGRESULT, ValidateDayCount(page) ? FALSE : TRUE);
        return TRUE;
    case PSN_APPLY:
        ApplyDrivePage(page);
        SetWindowLongPtrA(window, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_RESET:
        // Nothing was sent or written before Apply: nothing to undo.
        SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    return FALSE;
}

BOOL CALLBACK DisableChild(HWND child, LPARAM)
{
    EnableWindow(child, FALSE);
    return TRUE;
}

void OnInitDialog(HWND window, const PROPSHEETPAGEA* description)
{
    DialogOwner = window;
    int drive = description ? (int)description->lParam : 0;
    char root[4] = "";
    DriveRecord record;
    // A drive whose record the driver does not give cannot be shown as it
    // is, and OK must not switch it off for looking untracked.
    bool known = false;
    if (IsDriveNumber(drive)) {
        DriveRoot(drive, root);
        known = ReadDriveRecord(root, &record);
    }
    DrivePage* page = known ? new (std::nothrow) DrivePage() : NULL;
    if (!page) {
        // Without its state the page can show nothing true: it stays
        // inert, and Apply sends and writes nothing.
        EnumChildWindows(window, DisableChild, 0);
        return;
    }
    page->window = window;
    page->drive = drive;
    lstrcpynA(page->root, root, sizeof page->root);
    page->pageModified = false;
    // Attached before anything can notify the page.
    SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)page);

    SendDlgItemMessageA(window, IDC_PAGE_PERCENT, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendDlgItemMessageA(window, IDC_PAGE_PERCENT, TBM_SETPAGESIZE, 0, 5);
    SendDlgItemMessageA(window, IDC_PAGE_PERCENT, TBM_SETTICFREQ, 10, 0);
    SendDlgItemMessageA(window, IDC_PAGE_DAYCOUNT_SPIN, UDM_SETRANGE, 0, MAKELPARAM(100, 0));
    InitDrivePage(page, record);
    PostMessageA(window, WM_PAGEREADY, 0, 0);
}

void OnDestroyed(HWND window, DrivePage* page)
{
    SetWindowLongPtrA(window, DWLP_USER, 0);
    delete page;
}

// A page that could not read its drive has no DrivePage: it takes help and
// nothing else.
INT_PTR CALLBACK DrivePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DrivePage* page = PageOf(window);
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window, reinterpret_cast<const PROPSHEETPAGEA*>(lParam));
        return TRUE;
    case WM_NCDESTROY:
        OnDestroyed(window, page);
        return FALSE;
    case WM_HELP:
        ShowHelp(window, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (page)
            OnCommand(page, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return FALSE;
    case WM_HSCROLL:
        if (page)
            UpdatePercentText(page);
        return FALSE;
    case WM_NOTIFY:
        return page ? OnNotify(page, reinterpret_cast<const NMHDR*>(lParam)) : FALSE;
    case WM_PAGEREADY:
        if (page && page->pageModified)
            MarkPageChanged(page);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

HRESULT AddDrivePage(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam)
{
    // The shell names drives in upper case; a lower-case letter from
    // another caller still names its drive. A path that starts with no
    // letter has no drive to speak of.
    char letter[2] = {FirstPath[0], '\0'};
    if (letter[0] >= 'a' && letter[0] <= 'z')
        letter[0] = (char)(letter[0] - 'a' + 'A');
    int drive = DriveNumberOfPath(letter);
    if (drive == 0)
        return E_FAIL;
    char root[4];
    DriveRoot(drive, root);
    // Removable, network and CD drives get no page.
    UINT type = RootDriveType(root);
    if (type != DRIVE_FIXED && type != DRIVE_RAMDISK)
        return E_FAIL;

    InitCommonControls();
    PROPSHEETPAGEA description;
    memset(&description, 0, sizeof description);
    description.dwSize = PROPSHEETPAGEA_V1_SIZE;
    description.dwFlags = kPageFlags;
    description.hInstance = DllModule;
    description.pszTemplate = MAKEINTRESOURCEA(IDD_DRIVEPAGE);
    description.pszIcon = MAKEINTRESOURCEA(IDI_DRIVEPAGE);
    description.pszTitle = "Salvora";
    description.pfnDlgProc = DrivePageProc;
    // The page's drive travels with it; no memory to free if the sheet
    // never shows the page.
    description.lParam = drive;
    // The page counts as a live object until the sheet destroys it.
    description.pcRefParent = reinterpret_cast<UINT*>(&ObjectCount);

    HPROPSHEETPAGE page = CreatePropertySheetPageA(&description);
    if (!page)
        return S_OK;
    if (addPage(page, lParam))
        return S_OK;
    DestroyPropertySheetPage(page);
    return E_FAIL;
}
