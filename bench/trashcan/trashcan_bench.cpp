// Searches and empties a Trashcan of 20,000 files with the Trashcan
// machinery, each on a worker thread behind the tray applet's own progress
// dialog (its count and percentage drawn as in the product), and compares
// the times with a bare FindFirstFileA/FindNextFileA loop and a bare
// DeleteFileA loop over the same files, measured in the same run. A third
// line per operation shows what the screen updates alone cost: the same
// messages from a worker to the same dialog, without any file work.
//
// Then the shell extension's whole flow on the same files: the drive menu's
// "Clear Trashcan" of the real slvrsext.dll (beside this program), from the
// command to the question (the scan) and from the answer Yes to the end of
// the flow (the removal), against the same bare loops.
//
// usage: trashcan_bench [DRIVE]   (default D; its Trashcan must be empty or
//                                 missing, and is left empty; the stand-in
//                                 driver is told that the drive is protected)
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include <shlobj.h>

#include "bench/common/benchcommon.h"
#include "shellext/classids.h"
#include "trashcan/trashcan.h"
#include "tray/resource.h"

namespace {

const int kFiles = 20000;
const int kRounds = 3;

char drive = 'D';
char directory[kPathBufferSize];   // "x:\recycled\trashcan\"

void FileName(int i, char path[kPathBufferSize])
{
    wsprintfA(path, "%sBENCH%05d.DAT", directory, i);
}

bool MakeFiles()
{
    char path[kPathBufferSize];
    for (int i = 0; i < kFiles; ++i) {
        FileName(i, path);
        // Exact names: Wine then need not compare each new name with every
        // name already in the folder, which would make this part quadratic.
        HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_POSIX_SEMANTICS, NULL);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        WriteFile(h, "x", 1, &written, NULL);
        CloseHandle(h);
    }
    return true;
}

long BareSearch()
{
    char pattern[kPathBufferSize];
    TrashcanPattern(drive, LowerCasePattern, pattern);
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    long files = 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return files;
}

long BareDelete()
{
    char path[kPathBufferSize];
    long deleted = 0;
    for (int i = 0; i < kFiles; ++i) {
        FileName(i, path);
        deleted += DeleteFileA(path) != FALSE;
    }
    return deleted;
}

// The machinery's side: one dialog, one worker, as in the tray's flow.
WorkerSlot worker;
volatile BYTE cancel = 0;
HWND dialog = NULL;
bool removing = false;
bool screenOnly = false;
long done = 0;
double workerMs = 0;

void ReportFailure() {}

// The messages the machinery sends for kFiles files: a count for every
// fourth file while searching; a bar step and a percentage per file while
// removing.
long ScreenOnly()
{
    HWND bar = GetDlgItem(dialog, IDC_REMOVE_BAR);
    for (long i = 1; i <= kFiles; ++i) {
        if (removing) {
            SendMessageA(bar, PBM_STEPIT, 0, 0);
            SetDlgItemTextA(dialog, IDC_PROGRESS_DRIVE, "50%");
        } else if (i % 4 == 0) {
            SetDlgItemTextA(dialog, IDC_PROGRESS_COUNT, "4 files");
        }
    }
    return kFiles;
}

DWORD WINAPI Work(void*)
{
    double start = Now();
    if (screenOnly) {
        done = ScreenOnly();
    } else if (removing) {
        RemovalRun run = {dialog, GetDlgItem(dialog, IDC_REMOVE_BAR), kFiles, &cancel, ReportFailure, 0, false, 0};
        RemoveTrashcanFiles(drive, LowerCasePattern, &run);
        done = run.removed;
    } else {
        ScanDisplay display = {dialog, GetModuleHandleA(NULL), IDS_DRIVE_FORMAT};
        done = ScanTrashcan(drive, LowerCasePattern, display, &cancel).files;
    }
    workerMs = Now() - start;
    PostMessageA(dialog, WM_WORKERDONE, 0, 0);
    return 0;
}

INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        dialog = window;
        if (removing)
            SetRemovalRange(GetDlgItem(window, IDC_REMOVE_BAR), kFiles);
        worker.Start(Work, THREAD_PRIORITY_HIGHEST, NULL);
        return TRUE;
    case WM_WORKERDONE:
        EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
}

long Machinery(bool removal, double* ms, bool screen = false)
{
    removing = removal;
    screenOnly = screen;
    done = 0;
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(removal ? IDD_REMOVE : IDD_SEARCH), NULL,
                    ProgressProc, 0);
    worker.Join();
    *ms = workerMs;
    return done;
}

// --- the shell extension's flow -------------------------------------------

double questionShownAt = 0, answeredAt = 0;

// The user who says Yes the moment the question shows.
DWORD WINAPI AnswerYes(void*)
{
    for (;;) {
        HWND box = FindWindowA("#32770", "Salvora");
        if (box && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF) && GetDlgItem(box, IDYES)) {
            questionShownAt = Now();
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), (LPARAM)GetDlgItem(box, IDYES));
            answeredAt = Now();
            return 0;
        }
        Sleep(1);
    }
}

// The drive menu's second command, as the shell invokes it; false when the
// extension could not be had.
bool ExtensionClear(double* scanMs, double* removalMs)
{
    char root[4] = {drive, ':', '\\', 0};
    IContextMenu* menu = HandlerMenu(CLSID_SalvoraDriveHandler, root);
    if (!menu)
        return false;
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, 100, 200, CMF_NORMAL);
    CMINVOKECOMMANDINFO info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.lpVerb = MAKEINTRESOURCEA(1);
    info.nShow = SW_SHOWNORMAL;
    questionShownAt = answeredAt = 0;
    HANDLE answerer = CreateThread(NULL, 0, AnswerYes, NULL, 0, NULL);
    double start = Now();
    menu->InvokeCommand(&info);
    double end = Now();
    WaitForSingleObject(answerer, INFINITE);
    CloseHandle(answerer);
    DestroyMenu(popup);
    menu->Release();
    *scanMs = questionShownAt - start;
    *removalMs = end - answeredAt;
    return true;
}

void Report(const char* what, const std::vector<double>& measured, const char* bare,
            const std::vector<double>& baseline, const std::vector<double>& screen,
            const char* who = "machinery")
{
    double m = Median(measured), b = Median(baseline);
    printf("%-8s %-9s %8.1f ms   %-34s %8.1f ms   ratio %.2f\n", what, who, m, bare, b, m / b);
    if (!screen.empty())
        printf("%-8s of which the screen updates alone take %8.1f ms\n", "", Median(screen));
    else
        printf("%-8s the file calls take %.0f %% of the time\n", "", 100.0 * b / m);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        drive = argv[1][0];
    InitCommonControls();
    TrashcanPattern(drive, LowerCasePattern, directory);
    directory[lstrlenA(directory) - 3] = '\0';   // drop "*.*"
    if (BareSearch() != 0) {
        fprintf(stderr, "trashcan_bench: the Trashcan of %c: is not empty; pick another drive\n", drive);
        return 1;
    }
    char part[kPathBufferSize];
    lstrcpyA(part, directory);
    for (char* p = part + 3; *p; ++p)
        if (*p == '\\') {
            *p = '\0';
            CreateDirectoryA(part, NULL);
            *p = '\\';
        }

    printf("Trashcan of %c: with %d files, median of %d rounds\n", drive, kFiles, kRounds);
    std::vector<double> search, bareSearch, removal, bareDelete, searchScreen, removalScreen;
    for (int round = 0; round < kRounds; ++round) {
        if (!MakeFiles()) {
            fprintf(stderr, "trashcan_bench: cannot make the files in %s\n", directory);
            return 1;
        }
        double ms = 0, start = Now();
        long bare = BareSearch();
        bareSearch.push_back(Now() - start);
        long counted = Machinery(false, &ms);
        search.push_back(ms);

        start = Now();
        long deleted = BareDelete();
        bareDelete.push_back(Now() - start);
        if (!MakeFiles()) {
            fprintf(stderr, "trashcan_bench: cannot make the files in %s\n", directory);
            return 1;
        }
        long removed = Machinery(true, &ms);
        removal.push_back(ms);
        Machinery(false, &ms, true);
        searchScreen.push_back(ms);
        Machinery(true, &ms, true);
        removalScreen.push_back(ms);
        if (bare != kFiles || counted != kFiles || deleted != kFiles || removed != kFiles) {
            fprintf(stderr, "trashcan_bench: counted %ld/%ld, removed %ld/%ld of %d files\n", counted, bare,
                    removed, deleted, kFiles);
            return 1;
        }
    }
    Report("search", search, "bare FindFirstFileA/FindNextFileA", bareSearch, searchScreen);
    Report("removal", removal, "bare DeleteFileA", bareDelete, removalScreen);

    // The extension's flow over the same files, against the same bare loops
    // measured again in this part of the run.
    if (!ProtectDrive(drive)) {
        fprintf(stderr, "trashcan_bench: the stand-in driver is not loaded\n");
        return 1;
    }
    std::vector<double> extScan, extRemoval;
    bareSearch.clear();
    bareDelete.clear();
    for (int round = 0; round < kRounds; ++round) {
        if (!MakeFiles()) {
            fprintf(stderr, "trashcan_bench: cannot make the files in %s\n", directory);
            return 1;
        }
        double start = Now();
        BareSearch();
        bareSearch.push_back(Now() - start);
        start = Now();
        BareDelete();
        bareDelete.push_back(Now() - start);
        if (!MakeFiles())
            return 1;
        double scanMs = 0, removalMs = 0;
        if (!ExtensionClear(&scanMs, &removalMs) || BareSearch() != 0) {
            fprintf(stderr, "trashcan_bench: the extension did not empty the Trashcan\n");
            return 1;
        }
        extScan.push_back(scanMs);
        extRemoval.push_back(removalMs);
    }
    printf("the shell extension's Clear Trashcan, from the command to the question and from Yes to its end:\n");
    std::vector<double> none;
    Report("scan", extScan, "bare FindFirstFileA/FindNextFileA", bareSearch, none, "extension");
    Report("removal", extRemoval, "bare DeleteFileA", bareDelete, none, "extension");
    return 0;
}
