// What the three handlers decide, apart from the shell, the menu and the
// driver: which companion a selection gets, which items a context menu adds,
// which verb runs what, and the undelete program's parameters. Plain data
// in, plain data out, so that the native tests exercise every case.
#ifndef SALVORA_SHELLEXT_DECISIONS_H
#define SALVORA_SHELLEXT_DECISIONS_H

#include <stddef.h>
#include <stdint.h>

#include "driver/drives.h"

enum class HandlerKind { Drive, Folder, File };
enum class CompanionKind { ContextMenu, PropertySheet };

// Whether a handler hands out a companion for the captured selection.
// NeedsProtectedDrive leaves the last word to the driver: the companion is
// created only when the first item's drive is protected.
enum class CompanionRule { Refused, Accepted, NeedsProtectedDrive };

// count: items of the last selection; firstPathLength: length of the first
// path; driveNumber: DriveNumberOfPath of the first path (the context menus'
// rule: the property page reads its drive from the path itself).
CompanionRule DecideCompanion(HandlerKind handler, CompanionKind companion, int32_t count,
                              size_t firstPathLength, int driveNumber);

// The command identifiers a handler's menu uses, and the strings of each.
struct MenuItemPlan {
    int textId;
    int helpId;
};
struct MenuPlan {
    int count;                 // also the code field of QueryContextMenu's result
    MenuItemPlan items[2];     // items[i] goes at indexMenu + i with idCmdFirst + i
};

// The shell's reserved flag bits: when any is set the menu gets nothing.
const uint32_t kMenuReservedFlags = 0x000F0000;

MenuPlan PlanContextMenu(HandlerKind handler, uint32_t flags, int32_t selectedCount);

// What InvokeCommand runs for the verb field of the shell's request (a
// command offset in its low word, or a pointer to a verb text).
enum class VerbAction {
    VerbIsText,        // E_FAIL
    NoSuchVerb,        // E_INVALIDARG
    UndeleteDrive,
    UndeleteFolder,
    ClearTrashcan,
    ForceDelete,
};

VerbAction DecideVerb(HandlerKind handler, uintptr_t verbField);

// The help text of a verb of the handler; 0 when the handler has no such verb.
int HelpTextId(HandlerKind handler, uintptr_t verb);

// The undelete program's parameters: the path, followed by " /drv" for a
// drive. False, with out empty, when they do not fit into outSize characters.
enum class UndeleteMode { Folder, Drive };

bool FormatUndeleteParameters(const char* path, UndeleteMode mode, char* out, size_t outSize);

#endif
