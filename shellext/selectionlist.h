// The list of selected paths, shared between the shell's thread and the
// workers that read it.
//
// Every Initialize replaces the module's list with a new one, and the shell
// may call Initialize again (another menu, another window) while a worker
// started by an earlier command is still walking its list. So the list is
// never freed by the one who replaces it; it is freed by whoever lets go of
// it last:
//   - the module holds one reference to the current list and drops it when a
//     new selection replaces it;
//   - a flow that hands the list to a worker calls Hold() on the shell's
//     thread before it starts the worker (and Drop() itself if the worker
//     could not be started); the worker reads only the list it was given and
//     calls Drop() as the last thing it does.
#ifndef SALVORA_SHELLEXT_SELECTIONLIST_H
#define SALVORA_SHELLEXT_SELECTIONLIST_H

#include <atomic>
#include <stdint.h>

#include "inifile/collections.h"

class TSelectionList final : public TPCharCollection {
public:
    // The list starts with one holder, its creator. Growth step 10 as for
    // every selection list.
    explicit TSelectionList(int32_t initialCapacity);

    // Another holder; returns the list for convenience.
    TSelectionList* Hold();
    // Lets go of the list; the last holder frees it with all its strings.
    void Drop();

    // The path at index, or null outside 0..ItemCount-1. Unlike ItemAt it
    // never reports an error: a worker may ask past the end.
    const char* PathAt(int32_t index);

private:
    ~TSelectionList() override;   // only through Drop

    std::atomic<int32_t> holders_;
};

#endif
