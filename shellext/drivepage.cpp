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
#include "inifile/inifile.h"
#include "modulepath/modulepath.h"
#include "shellext/cleartrashcan.h"
#include "shellext/decisions.h"
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

const char kIniName[] = "Salvora.ini";
const char kIniSection[] = "Salvora";
const char kIniKey[] = "Drive";
const char kHelpName[] = "slvrsext.hlp";

// The write-back's turn, one Apply at a time across the threads (each sheet
// has its own) and processes (a second shell) of the machine. The name is
// shared by every copy of the extension, as Salvora.ini is.
const char kWriteBackMutex[] = "Salvora.ini write-back";
// How long an Apply waits for another one's turn to end: a turn sends one
// record, reads 26 and writes a small file, so this is already a hung one.
const DWORD kWriteBackWait = 10000;

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

void RootOf(int drive, char root[4])
{
    root[0] = (char)('A' + drive - 1);
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
}

DriveValues ValuesOf(const DriveRecord& record)
{
    DriveValues values = {record.drive,      record.enabled,    record.clusterSize,
                          record.maxClusters, record.maxPercent, record.dayCount};
    return values;
}

DriveRecord RecordOf(const DriveValues& values)
{
    DriveRecord record = {values.drive,       values.enabled,    values.clusterSize,
                          values.maxClusters, values.maxPercent, values.dayCount};
    return record;
}

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

    PageStart start = PageStartOf(ValuesOf(record));
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

// --- Salvora.ini -----------------------------------------------------------

void WriteDriveEntries(TINIFile* ini, const DriveValues table[kDriveSlots])
{
    char texts[kDriveSlots][kDriveEntrySize];
    int count = DriveEntryTexts(table, texts);
    if (count == 0) {
        // Entries left from drives that are no longer tracked would still
        // claim tracking for them.
        ini->ClearKeys(kIniSection, kIniKey);
        return;
    }
    ini->WriteFirstString(kIniSection, kIniKey, texts[0]);
    for (int i = 1; i < count; ++i)
        ini->WriteNextString(texts[i]);
    ini->WriteClose();
}

// False when the file could not be written. Lines that stand as the file
// already holds them are not written again: the store compares first.
bool FlushChanges(TINIFile* ini)
{
    ini->FlushFile();
    return ini->LastFlush != IniFlushFailed;
}

// Records the drives that have tracking on as the "Drive" entries of
// Salvora.ini, keeping the rest of the file. False when the file could not
// be read or written.
bool SaveDriveEntries(const DriveValues table[kDriveSlots])
{
    char path[kPathBufferSize];
    if (!ModuleSiblingPath(DllModule, kIniName, path))
        return false;
    TINIFile* ini = new (std::nothrow) TINIFile(path);
    if (!ini)
        return false;
    bool saved = false;
    int32_t status = ini->ReadFile();
    // A missing file is an empty one; any other failure leaves lines that
    // are not the file, which must not be written over it.
    if (status == IniSuccess || status == IniFileMissing) {
        WriteDriveEntries(ini, table);
        saved = FlushChanges(ini);
    }
    // Written once, and checked: the destructor must not try again unseen.
    ini->WriteMode &= ~FlushOnDestroy;
    delete ini;
    return saved;
}

// --- Apply -----------------------------------------------------------------

// Held from the driver's records to the file written from them: otherwise
// two Applies that read the records at the same moment each write a file
// without the other's drive, and the last one wins.
class WriteBackTurn {
public:
    WriteBackTurn() : mutex_(CreateMutexA(NULL, FALSE, kWriteBackMutex)), held_(false)
    {
        // An owner that ended inside its turn left the file whole (it is
        // replaced only once complete), so its turn is ours.
        if (mutex_) {
            DWORD wait = WaitForSingleObject(mutex_, kWriteBackWait);
            held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~WriteBackTurn() { End(); }

    bool Held() const { return held_; }
    void End()
    {
        if (held_)
            ReleaseMutex(mutex_);
        held_ = false;
        if (mutex_)
            CloseHandle(mutex_);
        mutex_ = NULL;
    }

private:
    HANDLE mutex_;
    bool held_;

    WriteBackTurn(const WriteBackTurn&);
    WriteBackTurn& operator=(const WriteBackTurn&);
};

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

    // Without the turn the driver still gets the values; the file is left
    // alone, and the user is told so.
    WriteBackTurn turn;
    DriveValues table[kDriveSlots];
    bool allRead = true;
    for (int drive = 1; drive <= kDriveSlots; ++drive) {
        char root[4];
        RootOf(drive, root);
        DriveRecord record;
        allRead = ReadDriveRecord(root, &record) && allRead;
        table[drive - 1] = ValuesOf(record);
    }
    DriveValues& current = table[page->drive - 1];
    current.drive = (uint8_t)page->drive;
    current.enabled = page->trackingEnabled ? 1 : 0;

    DWORD returned = 0;
    if (page->trackingEnabled) {
        current = TrackedDriveValues(page->drive, page->disk, page->maxPercent, page->dayCount);
        DriveRecord record = RecordOf(current);
        DriverRequest(SetDriveInfo, &record, sizeof record, NULL, 0, &returned);
    } else {
        WORD number = (WORD)page->drive;
        DriverRequest(DisableDrive, &number, sizeof number, NULL, 0, &returned);
    }

    // The driver has the new values whatever happens to the file. A record
    // that did not come would read as a drive without tracking and take its
    // entry away: the file then stays as it is.
    bool saved = allRead && turn.Held() && SaveDriveEntries(table);
    turn.End();
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
    if (drive >= 1 && drive <= kDriveSlots) {
        RootOf(drive, root);
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

INT_PTR CALLBACK DrivePageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        OnInitDialog(window, reinterpret_cast<const PROPSHEETPAGEA*>(lParam));
        return TRUE;
    }
    DrivePage* page = PageOf(window);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        delete page;
        return FALSE;
    }
    if (message == WM_HELP) {
        ShowHelp(window, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    }
    if (!page)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
        return FALSE;
    case WM_HSCROLL:
        UpdatePercentText(page);
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_PAGEREADY:
        if (page->pageModified)
            MarkPageChanged(page);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

HRESULT AddDrivePage(LPFNADDPROPSHEETPAGE addPage, LPARAM lParam)
{
    // A lower-case letter names its upper-case drive; a path that starts
    // with no letter has no drive to speak of.
    int drive = PageDriveOfPath(FirstPath);
    if (drive == 0)
        return E_FAIL;
    char root[4];
    RootOf(drive, root);
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
