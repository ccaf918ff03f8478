// What ForceDelete decides apart from its dialogs and the disk: which
// confirmation says what, which items it may touch, the action text and the
// percentage. Plain data in, plain data out, so that the native tests
// exercise every case.
#ifndef SALVORA_SHELLEXT_FORCEDECISIONS_H
#define SALVORA_SHELLEXT_FORCEDECISIONS_H

#include <stddef.h>
#include <stdint.h>

#include "paths/leadbytes.h"

// The attributes an item may carry here (the values of the Win32 API).
const uint32_t kAttributeReadOnly = 0x01;
const uint32_t kAttributeHidden = 0x02;
const uint32_t kAttributeSystem = 0x04;
const uint32_t kAttributeDirectory = 0x10;
const uint32_t kAttributeArchive = 0x20;
const uint32_t kAttributeReparsePoint = 0x400;
// What GetFileAttributesA answers for an item it cannot examine.
const uint32_t kAttributesUnknown = 0xFFFFFFFF;

// The strings of a confirmation: its message format (with one argument, the
// path or the count) and its caption.
struct ConfirmationText {
    int messageId;
    int captionId;
    bool countInMessage;   // the argument is the item count, else a path
};

// The confirmation of the whole selection (mode 0): count items, the first
// of them with firstAttributes. One item that cannot be examined is spoken
// of as a folder.
ConfirmationText SelectionConfirmation(int32_t count, uint32_t firstAttributes);

// The confirmation of one read-only, hidden or system file (mode 1).
ConfirmationText ProtectedFileConfirmation();

// The dialog of that confirmation: with "Yes to all" and "Cancel" (3400)
// when the run counted more than one item, else with Yes and No only (3200).
int ProtectedFileDialog(long itemTotal);

// Whether a file with these attributes is asked about before it goes: read-
// only, hidden or system (an unknown file counts as all three), unless the
// user said "Yes to all".
bool AsksBeforeDeleting(uint32_t attributes, bool yesToAll);

// How the walk treats an item. A link (any reparse point: a symbolic link,
// a junction, a mount point) leads out of the selected tree, so it is
// neither entered nor removed; an item that cannot be examined is neither
// listed nor removed either.
enum class ItemKind { File, Folder, Link, Unknown };

ItemKind KindOfItem(uint32_t attributes);

// What a selected path, in its canonical spelling, is to ForceDelete before
// anything is asked or done. A drive root and the Trashcan (the drive's
// RECYCLED folder, its TRASHCAN and all in it) are never force-deleted:
// removing a whole drive is no command of a context menu, and the driver
// keeps its own account of the Trashcan, which only "Clear Trashcan" empties
// with it. A path that starts with no drive cannot be reached safely.
enum class SelectedPathKind { Item, DriveRoot, Trashcan, NotADrivePath };

SelectedPathKind ClassifySelectedPath(const char* path);

// Why a run stopped before the end of its selection. The user's own No (a
// file kept, and so the folder around it) and Cancel are no failure and get
// no message; each of the others names its item in a message after the run.
enum class StopReason { None, ByUser, InUseOrDenied, Link, Unreachable };

// The message format (one argument, the item's path) for a stop; 0 for none.
int StopMessageId(StopReason reason);

// The message that refuses a selection before it is confirmed; 0 when the
// path may be confirmed.
int RefusalMessageId(SelectedPathKind kind);

// The action text: prefix followed by the part of path after its last
// backslash (the whole path when it has none), cut at a whole character to
// outSize bytes with the terminator.
void ActionText(char* out, size_t outSize, const char* prefix, const char* path,
                const LeadBytes& lead = SystemLeadBytes());

// The percentage after done of total items: the exact quotient taken to the
// nearest whole number, a half to the even neighbour. Never above 100 (items
// that appeared after the count are not more than all of them); 0 without
// a total.
int ForceDeletePercent(long done, long total);

#endif
