// Feeds arbitrary bytes to TINIFile as a file, runs reads and writes chosen
// by the input, writes the file back, possibly with a file operation made to
// fail, and checks what came out. Shared by the libFuzzer target and the
// native test that replays the corpus.
//
// The input's front is the file; operations are taken from its end, so a
// plain INI file is a useful seed as it stands.
#include "fuzz/inifile_check.h"

#include <dirent.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "inifile/fileio.h"
#include "inifile/inifile.h"

const char* IniCheckInputName = "";

namespace {

// A folder of this process's own, so that nothing but the store's files
// shows in it after a flush.
std::string MakeFolder()
{
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string dir = std::string(base) + "/inifile-check-" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    return dir;
}

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

// Every file in the folder but the store's own.
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

// The lines a correct reader makes of the bytes.
std::vector<std::string> ExpectedLines(const std::string& bytes, size_t maxLine)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == 0)
            break;
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
            continue;
        }
        if (c != '\r' && line.size() < maxLine)
            line += c;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::vector<std::string> LinesOf(const TINIFile& ini)
{
    std::vector<std::string> lines;
    for (int32_t i = 0; i < ini.Lines->ItemCount; i++) {
        const char* line = static_cast<const char*>(ini.Lines->ItemList[i]);
        lines.push_back(line ? line : "");
    }
    return lines;
}

void CheckLines(const TINIFile& ini)
{
    for (int32_t i = 0; i < ini.Lines->ItemCount; i++) {
        const char* line = static_cast<const char*>(ini.Lines->ItemList[i]);
        Check(!line || (!strchr(line, '\r') && !strchr(line, '\n')),
              "a line holds CR or LF");
    }
}

const std::string kLong300(300, 'k');
const std::string kLongValue = std::string(270, 'v') + "=x";
const std::string kLongSep = "a:" + std::string(300, 'b') + "=1";

const char* const kSections[] = {
    "Salvora", "A", "a", "Other", "", "AB", "[x", "Sec]tion", "s\nt", kLong300.c_str(),
};
const char* const kKeys[] = {
    "Drive", "x", "X", "url", "", "Item", "a", "a:b", "k\r", kLong300.c_str(),
};
const char* const kValues[] = {
    "1", "", "C:,10%,5", "yes", "$FF", "-12x", "a;b", "v\r\n[Evil]", " spaced ",
    kLongValue.c_str(), kLongSep.c_str(), "2147483648", "Auto",
};

template <size_t N>
const char* Pick(FuzzedDataProvider& in, const char* const (&list)[N])
{
    return list[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

const IDTableEntry kOnOffEntries[] = {{0, "Off"}, {1, "On"}, {2, "Auto"}, {1, "1"}};
const IDTable kOnOff = {3, kOnOffEntries};

void RunOperation(TINIFile& ini, FuzzedDataProvider& in)
{
    const char* section = Pick(in, kSections);
    const char* key = Pick(in, kKeys);
    const char* value = Pick(in, kValues);
    char buffer[IniValueLength + 1];
    int32_t number = 0;
    bool flag = false;
    char c = 0;

    switch (in.ConsumeIntegralInRange<int>(0, 21)) {
    case 0: ini.GetInt(section, key, 5, number); break;
    case 1: ini.GetChar(section, key, 'd', c); break;
    case 2:
        ini.GetString(section, key, in.ConsumeBool() ? value : nullptr, buffer, 0);
        Check(strlen(buffer) <= IniValueLength, "GetString too long");
        break;
    case 3: ini.GetIDString(section, key, 9, number, kOnOff); break;
    case 4: ini.GetBool(section, key, true, flag); break;
    case 5: ini.GetAutoYesNo(section, key, 1, number); break;
    case 6: ini.GetAutoNo(section, key, 1, number); break;
    case 7: {
        int steps = 0;
        if (ini.GetFirstString(section, key, buffer, 0) == IniSuccess)
            while (ini.GetNextString(key, buffer, 0) == IniSuccess)
                Check(++steps < 1000000, "list walk does not end");
        break;
    }
    case 8: ini.WriteInt(section, key, in.ConsumeIntegral<int32_t>()); break;
    case 9: ini.WriteChar(section, key, in.ConsumeIntegral<char>()); break;
    case 10: ini.WriteString(section, key, value); break;
    case 11: ini.WriteIDString(section, key, in.ConsumeIntegralInRange<int32_t>(-1, 3), kOnOff); break;
    case 12: ini.WriteBool(section, key, in.ConsumeBool()); break;
    case 13: ini.WriteAutoYesNo(section, key, in.ConsumeIntegralInRange<int32_t>(-1, 3)); break;
    case 14: ini.WriteAutoNo(section, key, in.ConsumeIntegralInRange<int32_t>(-1, 3)); break;
    case 15: ini.WriteFirstString(section, key, value); break;
    case 16: ini.WriteNextString(value); break;
    case 17: ini.WriteClose(); break;
    case 18: ini.ClearKeys(section, key); break;
    case 19:
        ini.WriteLine(in.ConsumeIntegralInRange<int32_t>(-2, 50),
                      in.ConsumeBool() ? value : nullptr);
        break;
    case 20:
        ini.IndentKeys = in.ConsumeBool();
        ini.KeyWidth = in.ConsumeIntegralInRange<int32_t>(-5, 300);
        break;
    case 21: ini.ReadFile(); break;
    }
    CheckLines(ini);
}

}  // namespace

void CheckIniInput(const uint8_t* data, size_t size)
{
    // The names first: what atexit runs must come before their destructors.
    static const bool cleanUp = !Path().empty() && atexit(RemoveFolder) == 0;
    (void)cleanUp;
    FuzzedDataProvider in(data, size);
    static const uint16_t kBufferSizes[] = {8192, 1, 2, 3, 7, 0};
    static const uint16_t kLineLengths[] = {1024, 0, 1, 5, 260, 300};
    uint16_t bufferSize = kBufferSizes[in.ConsumeIntegralInRange<size_t>(0, 5)];
    uint16_t maxLine = kLineLengths[in.ConsumeIntegralInRange<size_t>(0, 5)];
    bool flushOnWrite = in.ConsumeBool();
    int operations = in.ConsumeIntegralInRange<int>(0, 24);
    // The final flush may meet one failing file operation, or a disk that
    // fills up after so many bytes.
    uint32_t failCall = 0;
    int64_t room = -1;
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 1: failCall = in.ConsumeIntegralInRange<uint32_t>(1, 24); break;
    case 2: room = in.ConsumeIntegralInRange<int64_t>(0, 600); break;
    }
    std::vector<uint8_t> opBytes = in.ConsumeBytes<uint8_t>(
        in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes()));
    std::string content = in.ConsumeRemainingBytesAsString();

    WriteRaw(content);
    {
        TINIFile ini(Path().c_str());
        ini.BufferSize = bufferSize;
        ini.MaxLineLength = maxLine;
        ini.WriteMode = flushOnWrite ? FlushOnWrite : 0;
        Check(ini.ReadFile() == IniSuccess, "ReadFile of a plain file");
        Check(LinesOf(ini) == ExpectedLines(content, maxLine), "lines read");
        CheckLines(ini);

        FuzzedDataProvider ops(opBytes.data(), opBytes.size());
        for (int i = 0; i < operations; i++)
            RunOperation(ini, ops);
        Check(Others().empty(), "files left beside after a flush on write");

        bool changed = ini.HasChanged();
        std::string before = ReadRaw();
        std::string expected;
        for (const std::string& line : LinesOf(ini))
            expected += line + "\r\n";

        ResetFileFaults();
        if (failCall > 0)
            FileFaults.FailCalls = 1ull << (failCall - 1);
        FileFaults.BytesLeft = room;
        bool faulty = failCall > 0 || room >= 0;
        int32_t status = ini.FlushFile();
        ResetFileFaults();

        std::vector<std::string> others = Others();
        if (!changed) {
            Check(status == IniWriteFailed && ini.LastFlush == IniFlushUnchanged,
                  "FlushFile of an unchanged file");
            Check(ReadRaw() == before, "file untouched");
        } else if (ini.LastFlush == IniFlushUnchanged) {
            Check(status == IniWriteFailed, "status of a flush with nothing to write");
            Check(before == expected && ReadRaw() == before, "file held the lines already");
            Check(!ini.HasChanged(), "Changed after a flush with nothing to write");
        } else if (ini.LastFlush == IniFlushFailed) {
            Check(faulty, "FlushFile failed with nothing in its way");
            Check(status == IniWriteFailed, "status of a failed flush");
            Check(ini.HasChanged(), "Changed cleared by a failed flush");
            Check(ReadRaw() == before, "a failed flush changed the file");
            Check(others.empty(), "a failed flush left files beside");
        } else {
            Check(ini.LastFlush == IniFlushWritten && status == IniSuccess, "FlushFile");
            Check(!ini.HasChanged(), "Changed after a flush");
            Check(ReadRaw() == expected, "bytes written");
            // Only a failed removal of the backup leaves it, holding the old file.
            Check(others.empty() || (faulty && others.size() == 1 &&
                                     ReadFrom(Folder() + "/" + others[0]) == before),
                  "files left beside after a flush");

            TINIFile again(Path().c_str());
            again.MaxLineLength = 65535;
            Check(again.ReadFile() == IniSuccess, "ReadFile of the written file");
            Check(LinesOf(again) == LinesOf(ini), "lines read back");
        }
        for (const std::string& name : others)
            unlink((Folder() + "/" + name).c_str());
        ini.WriteMode = 0;
    }
}
