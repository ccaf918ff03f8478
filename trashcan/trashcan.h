// The Trashcan machinery both deliverables share: counting a drive's
// Trashcan and emptying it, behind the progress dialogs of progress.h.
// Each deliverable keeps its own cells, strings and dialogs and passes here
// only what differs between its flows.
#ifndef SALVORA_TRASHCAN_TRASHCAN_H
#define SALVORA_TRASHCAN_TRASHCAN_H

#include <windows.h>

#include "paths/modulepath.h"
#include "progress/progress.h"
#include "trashcan/sizetext.h"

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
// moves in steps of four, paced, and ends on the last step reached. Stops
// between entries once *cancel is set. A Trashcan that is a link, or lies in
// a RECYCLED folder that is one, counts nothing.
ScanResult ScanTrashcan(char driveLetter, PatternCase letterCase, const ScanDisplay& display,
                        const volatile BYTE* cancel);

// What a removal run shows and carries from one drive to the next. Its
// dialog shows the percentage in control 105; its bar is ranged for total
// with SetItemRange.
struct RemovalRun : ProgressRun {
    long total;                  // the files the range was set for
    void (*reportFailure)();     // beeps and says so; returns once the user answered
    long removed;                // files deleted so far in this run
    bool lastDeletionOk;         // outcome of the run's last deletion, across drives
    int percentShown;            // for ShowPercent
    ScreenPacer pacer;
};

// Deletes the plain files of one drive's Trashcan (read-only, hidden and
// system ones too), each by a name that reaches that very file, then its
// index file if the run's last deletion succeeded and the run was not
// cancelled. A file that cannot be deleted, or that no name reaches, is
// reported and ends this drive; its other files and its index file stay.
// A Trashcan that is a link, or lies in a RECYCLED folder that is one, is
// left as it is. The bar and the percentage are paced, and exact when the
// drive is done or a failure is reported; they never pass 100 %, however
// many files arrived since the count.
void RemoveTrashcanFiles(char driveLetter, PatternCase letterCase, RemovalRun* run);

// The last steps of a removal worker: WM_WORKERDONE to the dialog unless
// the run was cancelled, then TrashcanPurged when the run removed anything.
void EndRemovalRun(const RemovalRun& run);

#endif
