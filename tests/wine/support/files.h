// Files on the test drives and programs started from a test.
#ifndef SALVORA_TEST_FILES_H
#define SALVORA_TEST_FILES_H

#include <windows.h>
#include <string>
#include <vector>

namespace files {

// The drive letters the Wine environment maps, with their types.
const char kFixed = 'D';          // labelled "DATADISK"
const char kFixedUnlabelled = 'E';
const char kRemovable = 'F';
const char kRamDisk = 'M';
const char kNetwork = 'N';
const char kCdRom = 'R';

std::string Trashcan(char letter);           // "X:\RECYCLED\TRASHCAN"
std::string InTrashcan(char letter, const std::string& name);

bool MakeDirs(const std::string& path);       // every missing level
// The path up to its last backslash, read by character; "" for none.
std::string Parent(const std::string& path);
// Its blocks are never written, so a file of gigabytes costs nothing.
bool MakeFile(const std::string& path, unsigned long long size = 0, DWORD attributes = 0);
bool Exists(const std::string& path);
// Names of the plain files in a folder (no subfolders), sorted.
std::vector<std::string> List(const std::string& dir);
// Deletes a folder and everything in it, read-only files included; a link
// to a folder is not followed (Wine cannot remove one: false).
bool RemoveTree(const std::string& path);

// The folder the test programs, the product and the stand-ins are built into,
// and a file of it.
std::string BinDir();
std::string InBin(const std::string& name);
// A fresh, empty folder for one test, removed again by the caller.
std::string ScratchDir(const char* name);
bool Copy(const std::string& from, const std::string& to);
// The whole text of a file ("" when missing).
std::string ReadText(const std::string& path);

// A program started from a test; killed if still running when destroyed.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Start(const std::string& exe, const std::string& args = "", const std::string& cwd = "");
    // True when the process ended in time; its exit code in *code.
    bool WaitExit(DWORD timeoutMs, DWORD* code = NULL);
    bool Running() const;
    DWORD Id() const { return pid_; }
    void Kill();

private:
    HANDLE process_ = NULL;
    DWORD pid_ = 0;
};

}  // namespace files

#endif
