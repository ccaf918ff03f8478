// ForceDelete's walk over the confirmed selection: a counting pass, then a
// deletion pass that removes every folder after its contents. It works on a
// run of its own, so a new selection or a new flow never reaches it.
#ifndef SALVORA_SHELLEXT_FORCEWALK_H
#define SALVORA_SHELLEXT_FORCEWALK_H

#include <windows.h>

#include "paths/modulepath.h"
#include "shellext/forcedecisions.h"
#include "shellext/selectionlist.h"
#include "progress/progress.h"

// String 7 or 8 followed by a file name of up to 259 characters.
const int kActionTextSize = 301;

// The answers to the confirmation of a protected file.
enum class ProtectedFileAnswer { Yes, YesToAll, No, Cancel, NotAsked };

// One run. The flow and the progress dialog fill the first part before the
// worker starts and read nothing of it until the worker has ended; the
// worker owns the rest. The dialog, its bar (104) and the cancel flag, which
// a Cancel in a file confirmation sets too, are the ProgressRun's.
struct ForceDeleteRun : ProgressRun {
    ~ForceDeleteRun() override
    {
        if (paths)
            paths->Drop();
    }

    TSelectionList* paths;          // the confirmed selection, held for the run
    HWND actionText;                // the dialog's controls: 103
    HWND percentText;               // 105
    ProtectedFileAnswer (*ask)(const char* path, long itemTotal);
    char fileAction[kPathBufferSize];     // "Force deleting file: "
    char folderAction[kPathBufferSize];   // "Removing directory: "

    long itemTotal;                 // files, folders and links counted
    long done;                      // items the bar has stepped over
    bool yesToAll;
    bool walkOK;                    // false after an item that stayed: the walk ends
    StopReason stopReason;          // why the walk ended early, and at which item
    char stopPath[kPathBufferSize];
    int percentShown;               // the percentage on the screen plus one; 0 for none yet
    // What the screen is to show, and when it was last brought up to date.
    char action[kActionTextSize];
    bool actionChanged;
    bool countChanged;
    ScreenPacer pacer;
};

// The counting pass: ItemTotal, and the bar's range for it.
void CountSelection(ForceDeleteRun* run);

// The deletion pass, in the selection's order, until an item cannot be
// deleted or the run is cancelled; the screen shows where it ended, and the
// run why. An item that is gone when its turn comes (an earlier item held
// it, or it was selected twice) is what the user asked for and counts as
// done. A Cancel in a file confirmation closes the progress dialog as its own
// Cancel does.
void DeleteSelection(ForceDeleteRun* run);

#endif
