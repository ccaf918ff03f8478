#include "trashcan/trashcan.h"

#include <commctrl.h>
#include <string.h>

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

// Length of the directory part of a pattern, its last backslash included.
size_t DirectoryLength(const char* pattern)
{
    const char* slash = strrchr(pattern, '\\');
    return slash ? (size_t)(slash - pattern) + 1 : 0;
}

// Puts the entry's name after the directory; where the long name would not
// fit the path buffer, the short name stands in (it names the same file),
// and with neither the entry cannot be reached by path and is passed over.
bool EntryPath(char path[kPathBufferSize], size_t dirLength, const WIN32_FIND_DATAA& entry)
{
    const char* name = entry.cFileName;
    if (dirLength + strlen(name) >= (size_t)kPathBufferSize)
        name = entry.cAlternateFileName;
    size_t length = strlen(name);
    if (length == 0 || dirLength + length >= (size_t)kPathBufferSize)
        return false;
    memcpy(path + dirLength, name, length + 1);
    return true;
}

}  // namespace

ScanResult ScanTrashcan(char driveLetter, PatternCase letterCase, const ScanDisplay& display,
                        const volatile BYTE* cancel)
{
    ScanResult result = {0, 0};
    ShowCount(display.dialog, 0);

    char pattern[kPathBufferSize];
    TrashcanPattern(driveLetter, letterCase, pattern);

    char format[kPathBufferSize] = "";
    char driveText[kPathBufferSize];
    LoadStringA(display.strings, display.driveStringId, format, sizeof format);
    DWORD args[1] = {(DWORD)(BYTE)driveLetter};
    wvsprintfA(driveText, format, (va_list)args);
    SetDlgItemTextA(display.dialog, IDC_PROGRESS_DRIVE, driveText);

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
        // The screen is touched for every fourth file only, so that a large
        // Trashcan is counted at the speed of the directory listing.
        if (result.files % 4 == 0)
            ShowCount(display.dialog, result.files);
    } while (!*cancel && FindNextFileA(find, &entry));
    FindClose(find);
    return result;
}

// The progress bar of Windows 95 counts in 16 bits.
const long kBarSteps = 0xFFFF;

void SetRemovalRange(HWND bar, long total)
{
    long top = total > kBarSteps ? kBarSteps : total;
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, (WORD)top));
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
}

namespace {

void ShowRemoved(RemovalRun* run)
{
    long done;
    if (run->total <= kBarSteps) {
        // The bar's own count: its position before the step is the number of
        // files removed before this one.
        done = (long)SendMessageA(run->bar, PBM_STEPIT, 0, 0) + 1;
    } else {
        done = run->removed + 1;
        SendMessageA(run->bar, PBM_SETPOS, (WPARAM)MulDiv(done, kBarSteps, run->total), 0);
    }
    // The text changes some hundred times in a run however many files it
    // has; setting it again unchanged would only cost a message each time.
    int percent = RemovalPercent(done, run->total);
    if (percent + 1 == run->percentShown)
        return;
    run->percentShown = percent + 1;
    char text[16];
    DWORD args[1] = {(DWORD)percent};
    wvsprintfA(text, "%i%%", (va_list)args);
    SetDlgItemTextA(run->dialog, IDC_PROGRESS_PERCENT, text);
}

}  // namespace

void RemoveTrashcanFiles(char driveLetter, PatternCase letterCase, RemovalRun* run)
{
    char pattern[kPathBufferSize];
    TrashcanPattern(driveLetter, letterCase, pattern);
    char path[kPathBufferSize];
    lstrcpyA(path, pattern);
    size_t dirLength = DirectoryLength(pattern);

    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern, &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    while (!*run->cancel) {
        if (!IsIndexFileName(entry.cFileName) && EntryPath(path, dirLength, entry) &&
            !(GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY)) {
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            run->lastDeletionOk = DeleteFileA(path) != FALSE;
            if (!run->lastDeletionOk) {
                MessageBeep(0);
                run->reportFailure();
                break;
            }
            ShowRemoved(run);
            ++run->removed;
        }
        if (*run->cancel || !FindNextFileA(find, &entry))
            break;
    }
    FindClose(find);

    if (run->lastDeletionOk && !*run->cancel) {
        lstrcpyA(path + dirLength, "salvora.inf");
        DeleteFileA(path);
    }
}
