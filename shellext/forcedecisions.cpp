#include "shellext/forcedecisions.h"

#include <string.h>

#include "paths/pathjoin.h"
#include "shellext/resource.h"

ConfirmationText SelectionConfirmation(int32_t count, uint32_t firstAttributes)
{
    if (count > 1)
        return {IDS_CONFIRM_ITEMS, IDS_CONFIRM_ITEMS_CAPTION, true};
    // The unknown answer has the directory bit set, as every bit.
    if (firstAttributes & kAttributeDirectory)
        return {IDS_CONFIRM_FOLDER, IDS_CONFIRM_FOLDER_CAPTION, false};
    return {IDS_CONFIRM_FILE, IDS_CONFIRM_FILE_CAPTION, false};
}

ConfirmationText ProtectedFileConfirmation()
{
    return {IDS_CONFIRM_PROTECTED_FILE, IDS_CONFIRM_FILE_CAPTION, false};
}

int ProtectedFileDialog(long itemTotal)
{
    return itemTotal > 1 ? IDD_CONFIRM_PROTECTED : IDD_CONFIRM;
}

bool AsksBeforeDeleting(uint32_t attributes, bool yesToAll)
{
    const uint32_t protectedMask = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;
    return (attributes & protectedMask) != 0 && !yesToAll;
}

ItemKind KindOfItem(uint32_t attributes)
{
    // Tested first: the unknown answer has every other bit set.
    if (attributes == kAttributesUnknown)
        return ItemKind::Unknown;
    if (attributes & kAttributeReparsePoint)
        return ItemKind::Link;
    if (attributes & kAttributeDirectory)
        return ItemKind::Folder;
    return ItemKind::File;
}

void ActionText(char* out, size_t outSize, const char* prefix, const char* path, const LeadBytes& lead)
{
    if (outSize == 0)
        return;
    const char* name = path + FolderPartLength(path, lead);
    const char* parts[2] = {prefix, name};
    size_t used = 0;
    for (const char* part : parts) {
        size_t length = strlen(part);
        // A text that is cut ends on a whole character, and there.
        bool cut = length > outSize - 1 - used;
        if (cut) {
            length = outSize - 1 - used;
            if (lead.IsSecondByte(part, length))
                --length;
        }
        memcpy(out + used, part, length);
        used += length;
        if (cut)
            break;
    }
    out[used] = '\0';
}

int ForceDeletePercent(long done, long total)
{
    if (total <= 0 || done <= 0)
        return 0;
    if (done > total)
        done = total;
    // In whole numbers, so that every build rounds the same halves.
    long long scaled = (long long)done * 100;
    long long quotient = scaled / total;
    long long twiceRest = (scaled % total) * 2;
    if (twiceRest > total || (twiceRest == total && quotient % 2 != 0))
        ++quotient;
    return (int)quotient;
}

namespace {

// ASCII only: the names compared with are. Each is matched from the start
// of a character, and every byte it matches is an ASCII character, which is
// a character of its own: so no part of a double-byte character is ever
// taken for one of its letters.
bool SameNameIgnoringCase(const char* a, const char* b, size_t length)
{
    for (size_t i = 0; i < length; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = (char)(x - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// Whether path is within or equal to parent (upper case).
bool IsWithin(const char* path, const char* parent)
{
    size_t length = strlen(parent);
    return strlen(path) >= length && SameNameIgnoringCase(path, parent, length) &&
           (path[length] == '\0' || path[length] == '\\');
}

}  // namespace

SelectedPathKind ClassifySelectedPath(const char* path)
{
    char letter = path[0];
    bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (!isLetter || path[1] != ':' || path[2] != '\\')
        return SelectedPathKind::NotADrivePath;
    const char* rest = path + 3;
    if (!*rest)
        return SelectedPathKind::DriveRoot;
    if (IsWithin(rest, "RECYCLED") && (!rest[8] || IsWithin(rest, "RECYCLED\\TRASHCAN")))
        return SelectedPathKind::Trashcan;
    return SelectedPathKind::Item;
}

int StopMessageId(StopReason reason)
{
    switch (reason) {
    case StopReason::InUseOrDenied:
        return IDS_FORCEDELETE_IN_USE;
    case StopReason::Link:
        return IDS_FORCEDELETE_LINK;
    case StopReason::Unreachable:
        return IDS_FORCEDELETE_UNREACHABLE;
    case StopReason::None:
    case StopReason::ByUser:
        break;
    }
    return 0;
}

int RefusalMessageId(SelectedPathKind kind)
{
    switch (kind) {
    case SelectedPathKind::DriveRoot:
        return IDS_FORCEDELETE_DRIVE;
    case SelectedPathKind::Trashcan:
        return IDS_FORCEDELETE_TRASHCAN;
    case SelectedPathKind::NotADrivePath:
        return IDS_FORCEDELETE_UNREACHABLE;
    case SelectedPathKind::Item:
        break;
    }
    return 0;
}
