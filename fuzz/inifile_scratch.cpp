// The check's scratch folder and the raw bytes of its file.
#include "fuzz/inifile_scratch.h"

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fuzz/inifile_check.h"

namespace inicheck {

namespace {

std::string MakeFolder()
{
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string dir = std::string(base) + "/inifile-check-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    return dir;
}

}  // namespace

const std::string& Folder()
{
    static const std::string dir = MakeFolder();
    return dir;
}

const std::string& Path()
{
    static const std::string path = Folder() + "/t.ini";
    return path;
}

std::vector<std::string> Others()
{
    std::vector<std::string> names;
    if (DIR* d = opendir(Folder().c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != ".." && name != "t.ini")
                names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

void RemoveFolder()
{
    for (const std::string& name : Others())
        unlink((Folder() + "/" + name).c_str());
    unlink(Path().c_str());
    rmdir(Folder().c_str());
}

void Check(bool ok, const char* what)
{
    if (!ok) {
        fprintf(stderr, "check failed: %s (input %s)\n", what, IniCheckInputName);
        RemoveFolder();
        abort();
    }
}

void WriteRaw(const std::string& bytes)
{
    FILE* f = fopen(Path().c_str(), "wb");
    Check(f != nullptr, "create temp file");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadFrom(const std::string& path)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    Check(f != nullptr, "open temp file");
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, f)) > 0)
        bytes.append(block, n);
    fclose(f);
    return bytes;
}

std::string ReadRaw()
{
    return ReadFrom(Path());
}

}  // namespace inicheck
