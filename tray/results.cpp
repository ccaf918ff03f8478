// The results list: one row per drive whose Trashcan holds files, with its
// volume label, file count and size, and a check box image that a
// double-click flips to leave the drive out of the removal or put it back.
#include "tray/clearing.h"

#include <commctrl.h>

#include "tray/tray.h"

namespace {

// Images of the list's small image list, in the order they are added.
const int kImageExcluded = 0;
const int kImageIncluded = 1;

const int kHeadingSize = 31;
const int kLabelSize = 31;

HWND List(HWND dialog) { return GetDlgItem(dialog, IDC_RESULTS_LIST); }

void AddColumn(HWND list, int column, UINT headingId, int format, int width)
{
    char heading[kHeadingSize] = "";
    LoadStringA(Instance, headingId, heading, sizeof heading);
    LVCOLUMNA col;
    ZeroMemory(&col, sizeof col);
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.fmt = format;
    col.cx = width;
    col.pszText = heading;
    SendMessageA(list, LVM_INSERTCOLUMNA, (WPARAM)column, (LPARAM)&col);
}

void AddImage(HIMAGELIST images, int bitmapId)
{
    HBITMAP bitmap = LoadBitmapA(Instance, MAKEINTRESOURCEA(bitmapId));
    ImageList_Add(images, bitmap, NULL);
    // The image list keeps a copy.
    if (bitmap)
        DeleteObject(bitmap);
}

// The volume label in lower case; the root path when the label cannot be
// read, so that the row still says which drive it is.
void LowerCaseLabel(char letter, char label[kLabelSize])
{
    char root[4] = "x:\\";
    root[0] = letter;
    if (!GetVolumeInformationA(root, label, kLabelSize, NULL, NULL, NULL, NULL, 0))
        lstrcpyA(label, root);
    for (char* c = label; *c; ++c)
        if (*c >= 'A' && *c <= 'Z')
            *c = (char)(*c - 'A' + 'a');
}

void SetSubItem(HWND list, int row, int column, char* text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = text;
    SendMessageA(list, LVM_SETITEMA, 0, (LPARAM)&item);
}

void AddDriveRow(HWND list, int index, const TrashcanDriveRecord& record)
{
    char letter = DriveLetter(record.Drive);
    char label[kLabelSize];
    LowerCaseLabel(letter, label);

    char text[kLabelSize + 8];
    DWORD_PTR args[2] = {(DWORD_PTR)(BYTE)letter, (DWORD_PTR)label};
    wvsprintfA(text, "%c: [%s]", (va_list)args);
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index;
    item.pszText = text;
    item.iImage = kImageIncluded;
    // The list sorts by this text, which begins with the drive letter: rows
    // stand in the order of the records.
    int row = (int)SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    if (row < 0)
        return;

    char count[16];
    DWORD countArgs[1] = {(DWORD)record.FileCount};
    wvsprintfA(count, "%lu", (va_list)countArgs);
    SetSubItem(list, row, 1, count);

    char size[48];
    FormatTraySize(record.SizeKB, size, sizeof size);
    SetSubItem(list, row, 2, size);
}

void OnResultsInit(HWND dialog)
{
    SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    // STM_SETICON: WM_USER was the message's number in 16-bit Windows, and
    // 32-bit static controls (Wine's among them) ignore it.
    SendDlgItemMessageA(dialog, IDC_RESULTS_ICON, STM_SETICON, (WPARAM)LoadIconA(NULL, IDI_QUESTION), 0);

    HWND list = List(dialog);
    AddColumn(list, 0, IDS_COLUMN_DRIVE, LVCFMT_LEFT, 110);
    AddColumn(list, 1, IDS_COLUMN_FILES, LVCFMT_RIGHT, 84);
    AddColumn(list, 2, IDS_COLUMN_SPACE, LVCFMT_RIGHT, 84);
    // The last column takes the rest of the list's width.
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    SendMessageA(list, LVM_SETITEMCOUNT, (WPARAM)DriveCount, 0);

    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLORDDB, 1, 1);
    AddImage(images, IDB_DRIVE_EXCLUDED);
    AddImage(images, IDB_DRIVE_INCLUDED);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)images);

    for (LONG i = 0; i < DriveCount; ++i)
        AddDriveRow(list, (int)i, Drives[i]);
}

}  // namespace

void ToggleSelectedDrive(HWND dialog)
{
    HWND list = List(dialog);
    int row = (int)SendMessageA(list, LVM_GETNEXTITEM, (WPARAM)-1, MAKELPARAM(LVNI_SELECTED, 0));
    if (row < 0 || row >= DriveCount) {
        MessageBeep(0);
        return;
    }
    TrashcanDriveRecord& record = Drives[row];
    record.Included = record.Included ? 0 : 1;
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = record.Included ? kImageIncluded : kImageExcluded;
    SendMessageA(list, LVM_SETITEMA, 0, (LPARAM)&item);
}

INT_PTR CALLBACK ResultsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnResultsInit(dialog);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* note = reinterpret_cast<const NMHDR*>(lParam);
        if (note->idFrom == IDC_RESULTS_LIST && note->code == (UINT)NM_DBLCLK)
            ToggleSelectedDrive(dialog);
        return FALSE;
    }
    case WM_HELP:
        ShowPopupHelp(dialog, lParam);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        case IDC_HELP_BUTTON:
            ShowHelp(dialog, HELP_CONTEXT, IDH_RESULTS);
            return FALSE;
        }
        return FALSE;
    }
    return FALSE;
}
