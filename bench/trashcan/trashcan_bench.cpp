// Searches and empties a Trashcan of FILES files (20,000 unless told) with
// the Trashcan machinery, each on a worker behind the tray applet's own
// progress dialog, run by the progress protocol both deliverables share
// (from the dialog's opening to its end), and compares the times with a bare
// FindFirstFileA/FindNextFileA loop and a bare deletion loop over the same
// files, measured in the same run. The bare deletion opens each file without
// sharing and closes it before DeleteFileA, as the deliverables do so as
// never to delete a file another program has open; what that check costs by
// itself is measured too.
//
// Then the shell extension's whole flow on the same files: the drive menu's
// "Clear Trashcan" of the real slvrsext.dll (beside this program), from the
// command to the question (the scan) and from the answer Yes to the end of
// the flow (the removal), against the same bare loops. Last, ForceDelete of
// the same DLL on a tree of as many files, against a bare recursive walk.
//
// usage: trashcan_bench [DRIVE [FILES]]   (default D and 20000; the Trashcan
//                                         must be empty or missing, and is
//                                         left empty; DRIVE:\FDBENCH must not
//                                         exist; the stand-in driver is told
//                                         that the drive is protected)
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include <shlobj.h>

#include "bench/common/benchcommon.h"
#include "support/hostside.h"
#include "shellext/classids.h"
#include "trashcan/trashcan.h"
#include "tray/resource.h"

namespace {

int fileCount = 20000;
const int kRounds = 5;
const int kFilesPerFolder = 100;   // of ForceDelete's tree

char drive = 'D';
char directory[kPathBufferSize];   // "x:\recycled\trashcan\"

void FileName(int i, char path[kPathBufferSize])
{
    wsprintfA(path, "%sBENCH%05d.DAT", directory, i);
}

// Fills the Trashcan with empty files from the host side: Wine would make
// each new name in a large folder look at every name already there, and
// filling is not what is measured. Empty files, because what the host takes
// to free a file's blocks (much, where its disk discards them) would only
// hide what the program adds.
bool MakeFiles()
{
    std::string script = "cd " + host::Quote(host::PathOf(directory)) + " && seq -f 'BENCH%05g.DAT' 0 " +
                         std::to_string(fileCount - 1) + " | xargs touch";
    return host::Run(script, 120000);
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

// How many of the Trashcan's files a bare call succeeds on: BareDeleteFile,
// or BareOpenCheck alone.
long EachFile(bool (*call)(const char* path))
{
    char path[kPathBufferSize];
    long done = 0;
    for (int i = 0; i < fileCount; ++i) {
        FileName(i, path);
        done += call(path);
    }
    return done;
}

// The machinery's side: the tray's dialogs on the shared protocol, with a
// worker of the bench that runs the machinery as the tray's workers do.
WorkerSlot worker;
volatile BYTE cancel = 0;
const ProgressCells cells = {cancel, NULL, worker, THREAD_PRIORITY_HIGHEST, false};

struct BenchRun : RemovalRun {
    long done;
};

void ReportFailure() {}

DWORD WINAPI SearchWork(void* param)
{
    BenchRun* run = RunOf<BenchRun>(param);
    ScanDisplay display = {run->dialog, GetModuleHandleA(NULL), IDS_DRIVE_FORMAT};
    run->done = ScanTrashcan(drive, LowerCasePattern, display, run->cancel).files;
    PostMessageA(run->dialog, WM_WORKERDONE, 0, 0);
    return 0;
}

DWORD WINAPI RemovalWork(void* param)
{
    BenchRun* run = RunOf<BenchRun>(param);
    RemoveTrashcanFiles(drive, LowerCasePattern, run);
    run->done = run->removed;
    PostMessageA(run->dialog, WM_WORKERDONE, 0, 0);
    return 0;
}

void PrepareRemoval(HWND, ProgressRun* run)
{
    SetItemRange(run->bar, fileCount);
}

const ProgressDialogKind kSearchDialog = {
    WS_CHILD | WS_VISIBLE | ACS_CENTER | ACS_TRANSPARENT | ACS_AUTOPLAY, 0, 0, 30, 30, 152,
    NULL, SearchWork, IDCANCEL, IDCANCEL};
const ProgressDialogKind kRemoveDialog = {
    WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_AUTOPLAY, 7, 0, 236, 25, 163,
    PrepareRemoval, RemovalWork, 1, 2};

DWORD WINAPI NoWork(void* param)
{
    PostMessageA(RunOf<BenchRun>(param)->dialog, WM_WORKERDONE, 0, 0);
    return 0;
}

// What the search dialog costs by itself, with its animation or without.
double EmptyDialog(bool animated)
{
    ProgressDialogKind kind = kSearchDialog;
    kind.worker = NoWork;
    if (!animated)
        kind.animation = 0;
    RunHandle<BenchRun> run;
    double start = Now();
    RunProgressDialog(cells, GetModuleHandleA(NULL), IDD_SEARCH, NULL, kind, run.get());
    double ms = Now() - start;
    worker.Join();
    return ms;
}

long Machinery(bool removal, double* ms)
{
    RunHandle<BenchRun> run;
    run->total = fileCount;
    run->reportFailure = ReportFailure;
    double start = Now();
    RunProgressDialog(cells, GetModuleHandleA(NULL), removal ? IDD_REMOVE : IDD_SEARCH, NULL,
                      removal ? kRemoveDialog : kSearchDialog, run.get());
    *ms = Now() - start;
    worker.Join();
    return run->done;
}

// --- the shell extension's flow -------------------------------------------

double questionShownAt = 0, answeredAt = 0;

// A message box of the flow, and the button the user presses in it.
struct Answer {
    const char* caption;
    int button;
};
const Answer kYesToTheQuestion = {"Salvora", IDYES};
const Answer kOkToTheEmptyTrashcan = {"Salvora Shell Extension", IDOK};

// The user who answers the moment the box shows.
DWORD WINAPI AnswerBox(void* param)
{
    const Answer* answer = static_cast<const Answer*>(param);
    for (;;) {
        HWND box = FindWindowA("#32770", answer->caption);
        HWND button = box ? GetDlgItem(box, answer->button) : NULL;
        if (box && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF) && button) {
            questionShownAt = Now();
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer->button, BN_CLICKED), (LPARAM)button);
            answeredAt = Now();
            return 0;
        }
        Sleep(1);
    }
}

// The drive menu's second command, as the shell invokes it; false when the
// extension could not be had.
bool ExtensionClear(double* scanMs, double* removalMs, const Answer& answer = kYesToTheQuestion)
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
    HANDLE answerer = CreateThread(NULL, 0, AnswerBox, (void*)&answer, 0, NULL);
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

// The ratio is the median of each round's own ratio: a round measures the
// flow and its baseline moments apart, so a machine that slows down for a
// while moves both.
void Report(const char* what, const char* who, const std::vector<double>& measured, const char* bare,
            const std::vector<double>& baseline)
{
    printf("%-8s %-11s %8.1f ms   %-34s %8.1f ms   ratio %.2f\n", what, who, Median(measured), bare,
           Median(baseline), MedianRatio(measured, baseline));
}

}  // namespace

int main(int argc, char** argv)
{
    // Each line as soon as it is known, also into a pipe.
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc > 1)
        drive = (char)(argv[1][0] & ~0x20);
    if (argc > 2)
        fileCount = atoi(argv[2]);
    if (fileCount < kFilesPerFolder || fileCount > 99999) {
        fprintf(stderr, "trashcan_bench: FILES must lie between %d and 99999\n", kFilesPerFolder);
        return 1;
    }
    std::string treeRoot = std::string(1, drive) + ":\\FDBENCH";
    if (GetFileAttributesA(treeRoot.c_str()) != INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "trashcan_bench: %s exists; remove it or pick another drive\n", treeRoot.c_str());
        return 1;
    }
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

    if (!ProtectDrive(drive)) {
        fprintf(stderr, "trashcan_bench: the stand-in driver is not loaded\n");
        return 1;
    }
    printf("Trashcan of %c: with %d files, %d rounds (times: medians; ratios: medians of each round's own)\n",
           drive, fileCount, kRounds);
    // Each round fills the Trashcan three times: for the bare loops and the
    // tray's search, for the tray's removal, and for a bare search and the
    // extension's flow.
    std::vector<double> search, bareSearch, removal, bareDelete, check, empty, still, bareScan, extScan, extRemoval;
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
        long checked = EachFile(BareOpenCheck);
        check.push_back(Now() - start);
        start = Now();
        long deleted = EachFile(BareDeleteFile);
        bareDelete.push_back(Now() - start);

        if (!MakeFiles()) {
            fprintf(stderr, "trashcan_bench: cannot make the files in %s\n", directory);
            return 1;
        }
        // Listed once, as the files of the bare deletion were before it.
        BareSearch();
        long removed = Machinery(true, &ms);
        removal.push_back(ms);
        empty.push_back(EmptyDialog(true));
        still.push_back(EmptyDialog(false));
        if (bare != fileCount || counted != fileCount || checked != fileCount || deleted != fileCount ||
            removed != fileCount) {
            fprintf(stderr, "trashcan_bench: counted %ld/%ld, removed %ld/%ld of %d files\n", counted, bare,
                    removed, deleted, fileCount);
            return 1;
        }

        if (!MakeFiles()) {
            fprintf(stderr, "trashcan_bench: cannot make the files in %s\n", directory);
            return 1;
        }
        start = Now();
        BareSearch();
        bareScan.push_back(Now() - start);
        double scanMs = 0, removalMs = 0;
        if (!ExtensionClear(&scanMs, &removalMs) || BareSearch() != 0) {
            fprintf(stderr, "trashcan_bench: the extension did not empty the Trashcan\n");
            return 1;
        }
        extScan.push_back(scanMs);
        extRemoval.push_back(removalMs);
    }
    printf("the tray applet's search and removal dialogs, from their opening to their end:\n");
    Report("search", "machinery", search, "bare FindFirstFileA/FindNextFileA", bareSearch);
    Report("removal", "machinery", removal, "bare open check and DeleteFileA", bareDelete);
    printf("%-8s a search dialog whose worker has nothing to do takes %.1f ms, %.1f ms without its animation\n",
           "", Median(empty), Median(still));
    printf("%-8s the open check by itself takes %.1f ms, %.1f us a file, %.0f%% of the bare deletion\n", "",
           Median(check), Median(check) * 1000 / fileCount, MedianRatio(check, bareDelete) * 100);
    printf("the shell extension's Clear Trashcan, from the command to the question and from Yes to its end:\n");
    Report("scan", "extension", extScan, "bare FindFirstFileA/FindNextFileA", bareScan);
    Report("removal", "extension", extRemoval, "bare open check and DeleteFileA", bareDelete);
    // What of the scan is not the listing: its dialog, its worker, the
    // driver's answer and a message box.
    std::vector<double> emptyScan;
    for (int round = 0; round < kRounds; ++round) {
        double scanMs = 0, removalMs = 0;
        if (!ExtensionClear(&scanMs, &removalMs, kOkToTheEmptyTrashcan)) {
            fprintf(stderr, "trashcan_bench: the extension did not answer an empty Trashcan\n");
            return 1;
        }
        emptyScan.push_back(scanMs);
    }
    printf("%-8s the same flow on an empty Trashcan takes %.1f ms from the command to its message\n", "",
           Median(emptyScan));

    // ForceDelete on a tree of as many files, for comparison.
    int folders = fileCount / kFilesPerFolder;
    std::vector<double> forced, bareWalk;
    for (int round = 0; round < kRounds; ++round) {
        if (!MakeTree(treeRoot, folders, kFilesPerFolder)) {
            fprintf(stderr, "trashcan_bench: cannot make the tree %s\n", treeRoot.c_str());
            return 1;
        }
        double start = Now();
        BareWalk(treeRoot);
        bareWalk.push_back(Now() - start);
        double ms = 0;
        if (!MakeTree(treeRoot, folders, kFilesPerFolder) || !ForceDeleteTree(treeRoot, &ms) ||
            GetFileAttributesA(treeRoot.c_str()) != INVALID_FILE_ATTRIBUTES) {
            fprintf(stderr, "trashcan_bench: ForceDelete did not delete the tree %s\n", treeRoot.c_str());
            return 1;
        }
        forced.push_back(ms);
    }
    printf("ForceDelete of %d folders of %d files, from Yes to its end:\n", folders, kFilesPerFolder);
    Report("delete", "ForceDelete", forced, "bare recursive walk", bareWalk);
    return 0;
}
