#include "trashcan/trashcan.h"

#include <commctrl.h>
#include <string.h>

#include <algorithm>

#include "driver/driver.h"
#include "paths/entrypath.h"
#include "paths/pathjoin.h"
#include "paths/deletion.h"

void TrashcanPattern(char driveLetter, PatternCase letterCase, char pattern[kPathBufferSize])
{
    lstrcpyA(pattern, letterCase == LowerCasePattern ? "x:\\recycled\\trashcan\\*.*"
                                                     : "X:\\RECYCLED\\TRASHCAN\\*.*");
    pattern[0] = driveLetter;
}

namespace {

void ShowCount(HWND dialog, long count)
{
    char text[32];
    DWORD args[1] = {(DWORD)count};
    wvsprintfA(text, "%lu files", (va_list)args);
    SetDlgItemTextA(dialog, IDC_PROGRESS_COUNT, text);
}

bool IsOwnFolder(const char* folder)
{
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A Trashcan that is a link (a junction, or under Wine a host symlink), or
// that lies in a RECYCLED folder that is one, leads out of the drive's own
// tree: emptying it would delete files that were never deleted. Both levels
// are read once, before the listing; the root is the drive itself.
bool TrashcanIsOwnFolder(const char* pattern)
{
    char folder[kPathBufferSize];
    size_t length = FolderPartLength(pattern);   // "X:\RECYCLED\TRASHCAN\"
    if (length < 2)
        return false;
    memcpy(folder, pattern, length - 1);
    folder[length - 1] = '\0';
    if (!IsOwnFolder(folder))
        return false;
    size_t parent = FolderPartLength(folder);
    if (parent == 0)
        return false;
    folder[parent - 1] = '\0';
    return IsOwnFolder(folder);
}

// The names a Trashcan lists, long and short, to tell which of them stand
// for one entry only: such a name needs no look-up to find out which entry it reaches,
// one that costs as much as a deletion, and on a FAT folder a search of the
// whole folder for each file. Names are compared as hashes without regard to
// case; two names that share a hash count as one listed twice, so a
// collision costs a look-up and nothing more.
//
// Only single-byte letters are folded, each as CharLowerBuffA folds it. A
// double-byte character hashes as one fixed value whatever it is: the file
// system may take some of them for one another (full-width letters, Roman
// numerals in either case), and its second byte is never a letter to fold.
class ListedNames {
public:
    ListedNames() = default;
    ListedNames(const ListedNames&) = delete;
    ListedNames& operator=(const ListedNames&) = delete;
    ~ListedNames()
    {
        if (hashes_)
            HeapFree(GetProcessHeap(), 0, hashes_);
    }

    // Lists the folder. Where the list cannot be had whole, every name
    // counts as listed twice.
    void Read(const char* pattern)
    {
        ReadFolding();
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA(pattern, &entry);
        if (find == INVALID_HANDLE_VALUE)
            return;
        // A path finds an entry by its short name too.
        bool whole = true;
        do
            whole = Add(Hash(entry.cFileName)) && (!entry.cAlternateFileName[0] ||
                                                   Add(Hash(entry.cAlternateFileName)));
        while (whole && FindNextFileA(find, &entry));
        FindClose(find);
        if (!whole)
            count_ = 0;
        std::sort(hashes_, hashes_ + count_);
        complete_ = whole;
    }

    bool Once(const char* name) const
    {
        if (!complete_)
            return false;
        std::pair<const DWORD*, const DWORD*> same = std::equal_range(hashes_, hashes_ + count_, Hash(name));
        return same.second - same.first == 1;
    }

private:
    void ReadFolding()
    {
        lead_ = SystemLeadBytes();
        for (int b = 0; b < 256; ++b)
            lower_[b] = (char)b;
        if (!lead_.Any()) {
            CharLowerBuffA(lower_ + 1, 255);
            return;
        }
        for (int b = 1; b < 256; ++b)
            if (!lead_.IsLead((char)b))
                CharLowerBuffA(lower_ + b, 1);
    }

    DWORD Hash(const char* name) const
    {
        DWORD hash = 2166136261u;
        for (const char* c = name; *c; c = lead_.Next(c)) {
            BYTE folded = lead_.IsLead(*c) ? 0 : (BYTE)lower_[(BYTE)*c];
            hash = (hash ^ folded) * 16777619u;
        }
        return hash;
    }

    bool Add(DWORD hash)
    {
        if (count_ == capacity_) {
            size_t capacity = capacity_ ? capacity_ * 2 : 1024;
            if (capacity > ((size_t)-1) / sizeof(DWORD))
                return false;
            void* grown = hashes_ ? HeapReAlloc(GetProcessHeap(), 0, hashes_, capacity * sizeof(DWORD))
                                  : HeapAlloc(GetProcessHeap(), 0, capacity * sizeof(DWORD));
            if (!grown)
                return false;
            hashes_ = static_cast<DWORD*>(grown);
            capacity_ = capacity;
        }
        hashes_[count_++] = hash;
        return true;
    }

    LeadBytes lead_;
    char lower_[256];
    DWORD* hashes_ = NULL;
    size_t count_ = 0, capacity_ = 0;
    bool complete_ = false;
};

}  // namespace

ScanResult ScanTrashcan(char driveLetter, PatternCase letterCase, const ScanDisplay& display,
                        const volatile BYTE* cancel)
{
    ScanResult result = {0, 0};
    ShowCount(display.dialog, 0);
    long shown = 0;
    ScreenPacer pacer = {};
    pacer.Shown();

    char pattern[kPathBufferSize];
    TrashcanPattern(driveLetter, letterCase, pattern);

    char format[kPathBufferSize] = "";
    char driveText[kPathBufferSize];
    LoadStringA(display.strings, display.driveStringId, format, sizeof format);
    DWORD args[1] = {(DWORD)(BYTE)driveLetter};
    wvsprintfA(driveText, format, (va_list)args);
    SetDlgItemTextA(display.dialog, IDC_PROGRESS_DRIVE, driveText);

    if (!TrashcanIsOwnFolder(pattern))
        return result;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return result;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!IsIndexFileName(entry.cFileName)) {
            ++result.files;
            result.bytes += ((unsigned long long)entry.nFileSizeHigh << 32) | entry.nFileSizeLow;
        }
        // The count moves in steps of four, and reaches the screen only when
        // a display is due, so that a large Trashcan is counted at the speed
        // of the directory listing.
        if (result.files % 4 == 0 && result.files != shown && pacer.Due()) {
            ShowCount(display.dialog, result.files);
            shown = result.files;
            pacer.Shown();
        }
    } while (!*cancel && FindNextFileA(find, &entry));
    FindClose(find);
    long lastStep = result.files - result.files % 4;
    if (lastStep != shown)
        ShowCount(display.dialog, lastStep);
    return result;
}

namespace {

void ShowRemoved(RemovalRun* run)
{
    ShowItemsDone(run->bar, run->removed, run->total);
    ShowPercent(GetDlgItem(run->dialog, IDC_PROGRESS_PERCENT), RemovalPercent(run->removed, run->total),
                &run->percentShown);
    run->pacer.Shown();
}

const DWORD kProtectingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Deletes the file an entry's path reached, read-only, hidden or system
// alike: those attributes are cleared first (a plain file is spared a call
// that changes nothing it keeps), unless another program has it open (the
// undelete program reading it out of the Trashcan): then it stays as it
// was. An entry that no name reaches counts as a file that cannot be
// deleted: passed over, it would let the index file go while it stays.
// False after a failure, which the user has then been told of.
bool RemoveEntryFile(const char* path, DWORD attributes, bool reached, RemovalRun* run)
{
    run->lastDeletionOk = false;
    if (reached) {
        bool bare = (attributes & kProtectingAttributes) != 0;
        run->lastDeletionOk = DeleteUnopenedFile(path, bare ? FILE_ATTRIBUTE_NORMAL : 0, attributes);
    }
    if (!run->lastDeletionOk) {
        // What the user reads beside the message is where the run stopped.
        ShowRemoved(run);
        MessageBeep(0);
        run->reportFailure();
        return false;
    }
    ++run->removed;
    if (run->pacer.Due())
        ShowRemoved(run);
    return true;
}

// Under Wine every call on a path whose folder names differ in case from
// the host's looks those names up in their folders again, which for a large
// Trashcan costs a third of its deletion. So the removal spells each folder
// of the pattern as it is listed, where it is the only entry of its parent
// under that name in any case (a host that tells case apart may hold two,
// and then the spelling given is kept).
void SpellFoldersAsListed(char* pattern)
{
    size_t dirLength = FolderPartLength(pattern);
    for (size_t start = 3, end = 3; end < dirLength; start = ++end) {
        end = (size_t)(FindBackslash(pattern + start) - pattern);
        pattern[end] = '\0';
        WIN32_FIND_DATAA entry, another;
        HANDLE find = FindFirstFileA(pattern, &entry);
        if (find != INVALID_HANDLE_VALUE) {
            bool only = !FindNextFileA(find, &another);
            FindClose(find);
            if (only && strlen(entry.cFileName) == end - start &&
                SameNameIgnoringCase(entry.cFileName, pattern + start))
                memcpy(pattern + start, entry.cFileName, end - start);
        }
        pattern[end] = '\\';
    }
}

}  // namespace

void RemoveTrashcanFiles(char driveLetter, PatternCase letterCase, RemovalRun* run)
{
    char pattern[kPathBufferSize];
    TrashcanPattern(driveLetter, letterCase, pattern);
    if (!TrashcanIsOwnFolder(pattern))
        return;
    SpellFoldersAsListed(pattern);
    char path[kPathBufferSize];
    lstrcpyA(path, pattern);
    size_t dirLength = FolderPartLength(pattern);

    ListedNames names;
    names.Read(pattern);

    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    while (!*run->cancel) {
        // Subdirectories are never entered or removed, whatever their name;
        // neither is an entry whose path turns out to reach a directory.
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsIndexFileName(entry.cFileName)) {
            // What the path reaches, looked up at most once: known from the
            // listing or the name check where they tell, else read here.
            DWORD attributes = INVALID_FILE_ATTRIBUTES;
            if (PutListedEntryPath(path, kPathBufferSize, dirLength, entry, &attributes,
                                   names.Once(entry.cFileName)) &&
                attributes == INVALID_FILE_ATTRIBUTES)
                attributes = GetFileAttributesA(path);
            bool reached = attributes != INVALID_FILE_ATTRIBUTES;
            if ((!reached || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) &&
                !RemoveEntryFile(path, reached ? attributes : 0, reached, run))
                break;
        }
        if (*run->cancel || !FindNextFileA(find, &entry))
            break;
    }
    FindClose(find);
    ShowRemoved(run);

    // Not from under the driver or the undelete program either, if one of
    // them has it open; it then simply stays.
    if (run->lastDeletionOk && !*run->cancel) {
        lstrcpyA(path + dirLength, "salvora.inf");
        DeleteUnopenedFile(path);
    }
}

void EndRemovalRun(const RemovalRun& run)
{
    if (!*run.cancel)
        PostMessageA(run.dialog, WM_WORKERDONE, 0, 0);
    // Once per run, also after a cancel or a file that stayed.
    if (run.removed > 0) {
        DWORD returned = 0;
        DriverRequest(TrashcanPurged, NULL, 0, NULL, 0, &returned);
    }
}
