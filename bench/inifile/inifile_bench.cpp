// Reads a 1 MB INI file, changes one key and flushes it with TINIFile, and
// compares the time with reading and writing the same bytes raw through an
// 8 KB buffer each way, in the same run.
//
// usage: inifile_bench [file]   (default: inifile-bench.ini here; removed after)
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "inifile/fileio.h"
#include "inifile/inifile.h"

namespace {

const int kRounds = 15;
const int32_t kBlock = 8192;

std::string MakeFile(const char* path, int& sections)
{
    std::string text = "; generated for the benchmark\r\n";
    sections = 0;
    char line[128];
    while (text.size() < 1024 * 1024) {
        snprintf(line, sizeof line, "\r\n[Section %d]\r\n", sections++);
        text += line;
        for (int k = 0; k < 20; k++) {
            snprintf(line, sizeof line, "Key%-4d = value %d of this section ; note\r\n", k,
                     k * 7);
            text += line;
        }
    }
    FILE* f = fopen(path, "wb");
    if (!f || fwrite(text.data(), 1, text.size(), f) != text.size()) {
        fprintf(stderr, "cannot write %s\n", path);
        exit(1);
    }
    fclose(f);
    return text;
}

// The bare cost: the same bytes in through one 8 KB buffer and out again.
bool RawCopy(const char* path, std::string& bytes)
{
    std::vector<char> block(kBlock);
    bytes.clear();
    TFileHandle in = OpenForRead(path);
    if (in == InvalidFileHandle)
        return false;
    int32_t n;
    while ((n = ReadBlock(in, block.data(), kBlock)) > 0)
        bytes.append(block.data(), static_cast<size_t>(n));
    CloseFile(in);
    TFileHandle out = CreateForWrite(path);
    if (out == InvalidFileHandle)
        return false;
    for (size_t done = 0; done < bytes.size(); done += kBlock) {
        size_t chunk = std::min(bytes.size() - done, static_cast<size_t>(kBlock));
        memcpy(block.data(), bytes.data() + done, chunk);
        WriteBlock(out, block.data(), static_cast<int32_t>(chunk));
    }
    CloseFile(out);
    return true;
}

bool IniChange(const char* path, const char* section, int round)
{
    TINIFile ini(path);
    ini.WriteMode = 0;
    if (ini.ReadFile() != IniSuccess)
        return false;
    ini.WriteInt(section, "Key10", round);
    return ini.FlushFile() == IniSuccess;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "inifile-bench.ini";
    int sections = 0;
    std::string text = MakeFile(path, sections);
    char section[32];
    snprintf(section, sizeof section, "Section %d", sections / 2);

    typedef std::chrono::steady_clock Clock;
    std::vector<double> raw, ini;
    std::string bytes;
    for (int round = 0; round < kRounds; round++) {
        Clock::time_point t0 = Clock::now();
        bool ok = RawCopy(path, bytes);
        Clock::time_point t1 = Clock::now();
        ok = ok && IniChange(path, section, round);
        Clock::time_point t2 = Clock::now();
        if (!ok) {
            fprintf(stderr, "file operation failed on %s\n", path);
            return 1;
        }
        raw.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        ini.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    remove(path);

    double rawMs = Median(raw);
    double iniMs = Median(ini);
    printf("file: %zu bytes, %d sections; median of %d rounds\n", text.size(), sections,
           kRounds);
    printf("raw read + write, 8 KB buffer:      %8.2f ms\n", rawMs);
    printf("TINIFile read + change one + flush: %8.2f ms\n", iniMs);
    printf("ratio TINIFile / raw: %.2f\n", iniMs / rawMs);
    return 0;
}
