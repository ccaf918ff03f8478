#include "files.h"

#include <algorithm>
#include <stdio.h>
#include <string.h>

namespace files {

std::string Trashcan(char letter)
{
    return std::string(1, letter) + ":\\RECYCLED\\TRASHCAN";
}

std::string InTrashcan(char letter, const std::string& name)
{
    return Trashcan(letter) + "\\" + name;
}

// Read by character: on a double-byte code page a backslash may be the
// second byte of a character.
bool MakeDirs(const std::string& path)
{
    if (path.size() < 3)
        return true;
    const char* text = path.c_str();
    for (const char* c = text + 3;; c = CharNextA(c)) {
        if (!*c || *c == '\\') {
            std::string part(text, c);
            if (!CreateDirectoryA(part.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS)
                return false;
        }
        if (!*c)
            return true;
    }
}

std::string Parent(const std::string& path)
{
    const char* text = path.c_str();
    const char* last = NULL;
    for (const char* c = text; *c; c = CharNextA(c))
        if (*c == '\\')
            last = c;
    return last ? std::string(text, last) : "";
}

bool MakeFile(const std::string& path, unsigned long long size, DWORD attributes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    if (size) {
        LONG high = (LONG)(size >> 32);
        ok = SetFilePointer(h, (LONG)(DWORD)size, &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
             SetEndOfFile(h);
    }
    CloseHandle(h);
    if (ok && attributes)
        ok = SetFileAttributesA(path.c_str(), attributes) != FALSE;
    return ok;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> List(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(fd.cFileName);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

bool RemoveTree(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(path.c_str()) != FALSE;
    }
    // A link to a folder elsewhere: what it leads to is not this tree's.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveDirectoryA(path.c_str()) != FALSE;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    bool ok = true;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (strcmp(fd.cFileName, ".") && strcmp(fd.cFileName, ".."))
                ok = RemoveTree(path + "\\" + fd.cFileName) && ok;
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(path.c_str()) && ok;
}

std::string BinDir()
{
    char path[MAX_PATH * 4] = "";
    DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

std::string InBin(const std::string& name)
{
    return BinDir() + "\\" + name;
}

std::string ScratchDir(const char* name)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + "salvora-" + name + "-" + std::to_string(GetCurrentProcessId());
    RemoveTree(dir);
    MakeDirs(dir);
    return dir;
}

bool Copy(const std::string& from, const std::string& to)
{
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::string ReadText(const std::string& path)
{
    std::string text;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, NULL) && got)
        text.append(buffer, got);
    CloseHandle(h);
    return text;
}

Process::~Process() { Kill(); }

bool Process::Start(const std::string& exe, const std::string& args, const std::string& cwd)
{
    Kill();
    std::string command = "\"" + exe + "\"";
    if (!args.empty())
        command += " " + args;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    // Under a heavily loaded machine Wine now and then fails to start a
    // process at all; that is the machine's fault, not the program's.
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessA(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, cwd.empty() ? NULL : cwd.c_str(),
                           &si, &pi))
            break;
        fprintf(stderr, "cannot start %s (error %lu, attempt %d)\n", exe.c_str(), GetLastError(), attempt);
        if (attempt == 3)
            return false;
        Sleep(500);
    }
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    // A GUI program is ready for messages once it waits for input.
    WaitForInputIdle(process_, 5000);
    return true;
}

bool Process::WaitExit(DWORD timeoutMs, DWORD* code)
{
    if (!process_)
        return false;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD exitCode = 0;
    GetExitCodeProcess(process_, &exitCode);
    if (code)
        *code = exitCode;
    return true;
}

bool Process::Running() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Process::Kill()
{
    if (!process_)
        return;
    if (Running()) {
        TerminateProcess(process_, 255);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = NULL;
    pid_ = 0;
}

}  // namespace files
