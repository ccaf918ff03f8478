#include "hostside.h"

#include <vector>

#include "support/files.h"

namespace host {

std::string PathOf(const std::string& windowsPath)
{
    typedef char*(CDECL * UnixName)(const WCHAR*);
    UnixName unixName = (UnixName)(void*)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    int length = MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, NULL, 0);
    if (!unixName || length <= 0)
        return "";
    std::vector<WCHAR> wide(length);
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide.data(), length);
    char* name = unixName(wide.data());
    if (!name)
        return "";
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

namespace {

bool Write(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL) && written == bytes.size();
    CloseHandle(h);
    return ok;
}

}  // namespace

bool Run(const std::string& script, DWORD timeoutMs)
{
    std::string dir = files::ScratchDir("host");
    std::string hostDir = PathOf(dir);
    if (hostDir.empty() || hostDir.find('"') != std::string::npos)
        return false;
    // Wine starts a host program natively but hands back no handle to wait
    // on: the script's last act, renaming its status file into place, says
    // that it is over.
    std::string status = dir + "\\status";
    std::string text = "exec </dev/null >/dev/null 2>&1\n(\nset -e\n" + script + "\n)\necho $? > " +
                       Quote(hostDir + "/status.new") + "\nmv " + Quote(hostDir + "/status.new") + " " +
                       Quote(hostDir + "/status") + "\n";
    bool ran = false;
    if (Write(dir + "\\run.sh", text)) {
        // The host program is found by the first word of its command line.
        std::string command = "/bin/sh \"" + hostDir + "/run.sh\"";
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA("Z:\\bin\\sh", line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
            if (pi.hThread)
                CloseHandle(pi.hThread);
            if (pi.hProcess)
                CloseHandle(pi.hProcess);
            ran = ui::WaitUntil([&] { return files::Exists(status); }, timeoutMs) &&
                  files::ReadText(status) == "0\n";
        }
    }
    files::RemoveTree(dir);
    return ran;
}

}  // namespace host
