// ForceDelete of the real slvrsext.dll on a tree of 200 folders of 100 files
// (20,201 entries), run as the shell runs it (handler, menu, command; the
// bench answers Yes to the confirmation), against a bare recursive
// FindFirstFileA/DeleteFileA/RemoveDirectoryA walk over an identical tree in
// the same run, which opens each file without sharing and closes it before
// deleting it, as ForceDelete does. The DLL's file calls go through timing stubs put into its
// import table, which also count how often each folder is listed.
//
// usage: forcedelete_bench [DRIVE]   (default D; needs the stand-in driver,
//                                    and protects DRIVE in it)
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>

#include <algorithm>
#include <map>
#include <string.h>
#include <string>
#include <vector>

#include "bench/common/benchcommon.h"
#include "shellext/classids.h"

namespace {

const int kFolders = 200, kFilesPerFolder = 100, kRounds = 5;
char drive = 'D';
std::string root;   // "X:\FDBENCH"

// --- the DLL's file calls, timed -------------------------------------------

// Each kind of call by itself, for where the time goes.
enum Kind {
    kFindFirst, kFindNext, kFindClose, kGetAttributes, kSetAttributes, kOpen, kClose, kDelete, kRemoveDir, kKinds
};
const char* const kKindNames[kKinds] = {"FindFirstFileA", "FindNextFileA", "FindClose",
                                        "GetFileAttributesA", "SetFileAttributesA", "CreateFileA",
                                        "CloseHandle", "DeleteFileA", "RemoveDirectoryA"};
double kindMs[kKinds];
long kindCalls[kKinds];
std::map<std::string, int> listings;   // pattern -> FindFirstFileA calls

struct Timed {
    Kind kind;
    double start = Now();
    explicit Timed(Kind k) : kind(k) {}
    ~Timed()
    {
        double ms = Now() - start;
        kindMs[kind] += ms;
        ++kindCalls[kind];
    }
};

decltype(&FindFirstFileA) realFindFirstFile;
decltype(&FindNextFileA) realFindNextFile;
decltype(&FindClose) realFindClose;
decltype(&GetFileAttributesA) realGetFileAttributes;
decltype(&SetFileAttributesA) realSetFileAttributes;
decltype(&CreateFileA) realCreateFile;
decltype(&CloseHandle) realCloseHandle;
decltype(&DeleteFileA) realDeleteFile;
decltype(&RemoveDirectoryA) realRemoveDirectory;

HANDLE WINAPI TimedFindFirstFile(LPCSTR pattern, LPWIN32_FIND_DATAA entry)
{
    ++listings[pattern];
    Timed t(kFindFirst);
    return realFindFirstFile(pattern, entry);
}
BOOL WINAPI TimedFindNextFile(HANDLE find, LPWIN32_FIND_DATAA entry)
{
    Timed t(kFindNext);
    return realFindNextFile(find, entry);
}
BOOL WINAPI TimedFindClose(HANDLE find)
{
    Timed t(kFindClose);
    return realFindClose(find);
}
DWORD WINAPI TimedGetFileAttributes(LPCSTR path)
{
    Timed t(kGetAttributes);
    return realGetFileAttributes(path);
}
BOOL WINAPI TimedSetFileAttributes(LPCSTR path, DWORD attributes)
{
    Timed t(kSetAttributes);
    return realSetFileAttributes(path, attributes);
}
HANDLE WINAPI TimedCreateFile(LPCSTR path, DWORD access, DWORD sharing, LPSECURITY_ATTRIBUTES security,
                              DWORD disposition, DWORD flags, HANDLE model)
{
    Timed t(kOpen);
    return realCreateFile(path, access, sharing, security, disposition, flags, model);
}
BOOL WINAPI TimedCloseHandle(HANDLE handle)
{
    Timed t(kClose);
    return realCloseHandle(handle);
}
BOOL WINAPI TimedDeleteFile(LPCSTR path)
{
    Timed t(kDelete);
    return realDeleteFile(path);
}
BOOL WINAPI TimedRemoveDirectory(LPCSTR path)
{
    Timed t(kRemoveDir);
    return realRemoveDirectory(path);
}

template <class F>
void Hook(HMODULE module, const char* name, F* real, F stub)
{
    BYTE* base = reinterpret_cast<BYTE*>(module);
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (IMAGE_IMPORT_DESCRIPTOR* library =
             reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name; ++library) {
        IMAGE_THUNK_DATA* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            IMAGE_IMPORT_BY_NAME* import =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (lstrcmpA(reinterpret_cast<char*>(import->Name), name) != 0)
                continue;
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            *real = reinterpret_cast<F>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(stub);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return;
        }
    }
    fprintf(stderr, "forcedelete_bench: slvrsext.dll does not import %s\n", name);
    ExitProcess(1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        drive = (char)(argv[1][0] & ~0x20);
    root = std::string(1, drive) + ":\\FDBENCH";
    if (GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES) {
        fprintf(stderr, "forcedelete_bench: %s exists; remove it or pick another drive\n", root.c_str());
        return 1;
    }
    if (!ProtectDrive(drive)) {
        fprintf(stderr, "forcedelete_bench: the stand-in driver does not answer\n");
        return 1;
    }
    OleInitialize(NULL);
    HMODULE module = ExtensionModule();
    if (!module) {
        fprintf(stderr, "forcedelete_bench: cannot load slvrsext.dll beside the benchmark\n");
        return 1;
    }
    Hook(module, "FindFirstFileA", &realFindFirstFile, TimedFindFirstFile);
    Hook(module, "FindNextFileA", &realFindNextFile, TimedFindNextFile);
    Hook(module, "FindClose", &realFindClose, TimedFindClose);
    Hook(module, "GetFileAttributesA", &realGetFileAttributes, TimedGetFileAttributes);
    Hook(module, "SetFileAttributesA", &realSetFileAttributes, TimedSetFileAttributes);
    Hook(module, "CreateFileA", &realCreateFile, TimedCreateFile);
    Hook(module, "CloseHandle", &realCloseHandle, TimedCloseHandle);
    Hook(module, "DeleteFileA", &realDeleteFile, TimedDeleteFile);
    Hook(module, "RemoveDirectoryA", &realRemoveDirectory, TimedRemoveDirectory);

    // What the timing of one call costs by itself.
    double start = Now();
    for (int i = 0; i < 100000; ++i)
        Now();
    double clockMs = (Now() - start) / 100000 * 2;

    const long entries = 1 + kFolders * (1 + kFilesPerFolder);
    printf("ForceDelete of %s, %d folders of %d files (%ld entries), %d rounds (ratio: median of each round's)\n",
           root.c_str(), kFolders, kFilesPerFolder, entries, kRounds);
    std::vector<double> bare, forced, inFiles;
    int mostListings = 0;
    long listed = 0, calls = 0;
    for (int round = 0; round < kRounds; ++round) {
        if (!MakeTree(root, kFolders, kFilesPerFolder)) {
            fprintf(stderr, "forcedelete_bench: cannot make the tree\n");
            return 1;
        }
        start = Now();
        BareWalk(root);
        bare.push_back(Now() - start);

        if (!MakeTree(root, kFolders, kFilesPerFolder)) {
            fprintf(stderr, "forcedelete_bench: cannot make the tree\n");
            return 1;
        }
        for (int k = 0; k < kKinds; ++k) {
            kindMs[k] = 0;
            kindCalls[k] = 0;
        }
        listings.clear();
        double ms = 0;
        if (!ForceDeleteTree(root, &ms) || GetFileAttributesA(root.c_str()) != INVALID_FILE_ATTRIBUTES) {
            fprintf(stderr, "forcedelete_bench: ForceDelete did not delete the tree\n");
            return 1;
        }
        forced.push_back(ms);
        double fileMs = 0;
        calls = 0;
        for (int k = 0; k < kKinds; ++k) {
            fileMs += kindMs[k];
            calls += kindCalls[k];
        }
        inFiles.push_back(fileMs - calls * clockMs);
        listed = (long)listings.size();
        for (const auto& l : listings)
            mostListings = std::max(mostListings, l.second);
    }
    double f = Median(forced), b = Median(bare), share = Median(inFiles) / f;
    printf("ForceDelete %8.1f ms   bare walk (FindFirstFileA, open check, DeleteFileA, RemoveDirectoryA) %8.1f ms"
           "   ratio %.2f\n",
           f, b, MedianRatio(forced, bare));
    printf("            %4.1f%% of it in the file calls (%ld calls, %.2f per entry)\n", share * 100, calls,
           (double)calls / entries);
    printf("            %ld folders listed, none more than %d times\n", listed, mostListings);
    printf("            the last round's calls:");
    for (int k = 0; k < kKinds; ++k)
        if (kindCalls[k])
            printf("%s %s %ld, %.1f ms", k ? ";" : "", kKindNames[k], kindCalls[k], kindMs[k] - kindCalls[k] * clockMs);
    printf("\n");
    OleUninitialize();
    return 0;
}
