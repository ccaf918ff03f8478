// The Trashcan machinery both deliverables share: counting a drive's
// Trashcan, emptying it, and the progress-dialog/worker protocol around both.
// Each deliverable keeps its own cells, strings and dialogs and passes here
// only what differs between its flows.
#ifndef SALVORA_TRASHCAN_TRASHCAN_H
#define SALVORA_TRASHCAN_TRASHCAN_H

#include <windows.h>

#include "modulepath/modulepath.h"
#include "trashcan/sizetext.h"

// Posted by a worker that ran to its end; the progress dialog then ends.
const UINT WM_WORKERDONE = WM_USER + 1;

// Controls the progress dialogs of both deliverables share.
const int IDC_PROGRESS_COUNT = 101;
const int IDC_PROGRESS_TEXT = 103;
const int IDC_PROGRESS_BAR = 104;
const int IDC_PROGRESS_DRIVE = 105;   // the drive while counting, the percentage while removing

// The tray writes its pattern "x:\recycled\trashcan\*.*", the shell
// extension "X:\RECYCLED\TRASHCAN\*.*"; only the first character changes.
enum PatternCase { LowerCasePattern, UpperCasePattern };

void TrashcanPattern(char driveLetter, PatternCase letterCase, char pattern[kPathBufferSize]);

// Where and how a count is shown: "%lu files" in control 101 and the drive
// string (a "Drive %c:" format) in control 105 of the dialog.
struct ScanDisplay {
    HWND dialog;
    HMODULE strings;
    UINT driveStringId;
};

struct ScanResult {
    long files;                 // counted files, the index file left out
    unsigned long long bytes;   // their sizes; the search never opens a file
};

// Counts the plain files of one drive's Trashcan. The count on the screen
// moves in steps of four. Stops between entries once *cancel is set. A
// Trashcan that is a link, or lies in a RECYCLED folder that is one, counts
// nothing.
ScanResult ScanTrashcan(char driveLetter, PatternCase letterCase, const ScanDisplay& display,
                        const volatile BYTE* cancel);

// What a removal run shows and carries from one drive to the next.
struct RemovalRun {
    HWND dialog;                 // the percentage goes into control 105
    HWND bar;                    // the progress bar, ranged by SetRemovalRange
    long total;                  // the files the range was set for
    const volatile BYTE* cancel;
    void (*reportFailure)();     // beeps and says so; returns once the user answered
    long removed;                // files deleted so far in this run
    bool lastDeletionOk;         // outcome of the run's last deletion, across drives
    int percentShown;            // the percentage on the screen plus one; 0 for none yet
};

// Sets the bar's range for total files: exactly as many steps where the bar
// can count them, a scaled range beyond 65,535 files.
void SetRemovalRange(HWND bar, long total);

// Deletes the plain files of one drive's Trashcan (read-only, hidden and
// system ones too), each by a name that reaches that very file, then its
// index file if the run's last deletion succeeded and the run was not
// cancelled. A file that cannot be deleted, or that no name reaches, is
// reported and ends this drive; its other files and its index file stay.
// A Trashcan that is a link, or lies in a RECYCLED folder that is one, is
// left as it is.
void RemoveTrashcanFiles(char driveLetter, PatternCase letterCase, RemovalRun* run);

// The system shell library's animation in a progress dialog, placed in
// dialog units; none where the system has no such animation.
HWND CreateShellAnimation(HWND dialog, DWORD style, int x, int y, int cx, int cy, int resource);

// The one worker of a deliverable's open progress dialog. A cancelled worker
// is not waited for by its dialog, but no flow may start while it still runs:
// Join waits for it (still dispatching messages) and releases its handle.
class WorkerSlot {
public:
    // False, after MessageBeep(0), when no thread could be created.
    bool Start(LPTHREAD_START_ROUTINE proc, int priority, DWORD* threadId);
    void Join();

private:
    HANDLE thread_ = NULL;
};

// One flow at a time per deliverable. Begin refuses a flow while another
// one is open (a modal loop lets the same thread call in again) and joins an
// earlier flow's cancelled worker before the cells are reused.
class FlowGuard {
public:
    explicit FlowGuard(WorkerSlot& slot) : slot_(slot) {}
    bool Begin();
    void End();
    bool Open() const { return open_; }

private:
    WorkerSlot& slot_;
    bool open_ = false;
};

#endif
