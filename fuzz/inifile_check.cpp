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

#include <algorithm>
#include <map>
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

// The file as a correct reader splits it: a UTF-8 byte-order mark before
// the first line, the lines with the bytes each was read from (its line end
// included), and the bytes from the first NUL on. Text in UTF-16 (a
// byte-order mark, or a NUL among the first two bytes) must never be
// written over.
struct Model {
    std::string head, tail;
    std::vector<std::string> raw, lines;
    bool utf16 = false;
};

Model Split(const std::string& bytes, size_t maxLine)
{
    Model m;
    m.utf16 = bytes.size() >= 2 &&
              (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0 ||
               bytes[0] == 0 || bytes[1] == 0);
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    m.head = bytes.substr(0, start);
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos)
        end = bytes.size();
    m.tail = bytes.substr(end);
    std::string raw, line;
    for (size_t i = start; i < end; i++) {
        char c = bytes[i];
        raw += c;
        if (c == '\n') {
            m.raw.push_back(raw);
            m.lines.push_back(line);
            raw.clear();
            line.clear();
        } else if (c != '\r' && line.size() < maxLine) {
            line += c;
        }
    }
    if (!raw.empty()) {
        m.raw.push_back(raw);
        m.lines.push_back(line);
    }
    return m;
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

// What the object read last: the bytes, their model, and which entry was
// made of which line (entries are known by address; a freed entry's address
// may come back, so its text is compared too).
struct Snapshot {
    std::string bytes;
    Model model;
    std::map<const void*, size_t> index;
};

Snapshot& Read()
{
    static Snapshot snapshot;
    return snapshot;
}

void TakeSnapshot(const TINIFile& ini)
{
    Snapshot& read = Read();
    read.bytes = ReadRaw();
    read.model = Split(read.bytes, ini.MaxLineLength);
    read.index.clear();
    for (int32_t i = 0; i < ini.Lines->ItemCount; i++)
        read.index[ini.Lines->ItemList[i]] = static_cast<size_t>(i);
    Check(LinesOf(ini) == read.model.lines, "lines read");
}

// The bytes a write-back must give: every line that is still the one read
// as it was read (a last line without LF gains CR LF only when lines follow
// it), every other line as its text and CR LF, between the byte-order mark
// and the bytes past the NUL.
std::string Expected(const TINIFile& ini)
{
    const Snapshot& read = Read();
    std::string out = read.model.head;
    int32_t count = ini.Lines->ItemCount;
    for (int32_t i = 0; i < count; i++) {
        const char* entry = static_cast<const char*>(ini.Lines->ItemList[i]);
        std::string text = entry ? entry : "";
        auto found = entry ? read.index.find(entry) : read.index.end();
        if (found != read.index.end() && read.model.lines[found->second] == text) {
            const std::string& raw = read.model.raw[found->second];
            out += raw;
            if (raw.back() != '\n' && i < count - 1)
                out += "\r\n";
        } else {
            out += text + "\r\n";
        }
    }
    return out + read.model.tail;
}

// Names the writers must refuse: they would not read back as themselves.
bool KeyHolds(const std::string& key)
{
    if (key.find_first_of("=:\r\n") != std::string::npos)
        return false;
    return key.empty() || (key[0] != ' ' && key[0] != '\t' && key[0] != ';' && key[0] != '[' &&
                           key.back() != ' ' && key.back() != '\t');
}

bool SectionHolds(const std::string& section)
{
    return section.find_first_of("]\r\n") == std::string::npos;
}

// What a reader finds for a value written: without line breaks, blanks
// skipped, cut at ";", blanks trimmed, at most IniValueLength characters.
std::string ReadBack(const std::string& value)
{
    std::string text;
    for (char c : value)
        if (c != '\r' && c != '\n')
            text += c;
    size_t first = text.find_first_not_of(" \t");
    text = first == std::string::npos ? "" : text.substr(first);
    text = text.substr(0, text.find(';'));
    size_t last = text.find_last_not_of(" \t");
    text = last == std::string::npos ? "" : text.substr(0, last + 1);
    return text.substr(0, IniValueLength);
}

const std::string kLong300(300, 'k');
const std::string kLongValue = std::string(270, 'v') + "=x";
const std::string kLongSep = "a:" + std::string(300, 'b') + "=1";

const char* const kSections[] = {
    "Salvora", "A", "a", "Other", "", "AB", "[x", "Sec]tion", "s\nt", kLong300.c_str(),
    " sp ", ";c",
};
const char* const kKeys[] = {
    "Drive", "x", "X", "url", "", "Item", "a", "a:b", "k\r", kLong300.c_str(),
    "a=b", " k ", "k\t", ";c", "[x", "x]",
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
    const int op = in.ConsumeIntegralInRange<int>(0, 21);
    const bool writes = op >= 8 && op <= 18 && op != 16 && op != 17;
    const bool refused = writes && !(KeyHolds(key) && SectionHolds(section));
    const std::vector<std::string> linesBefore = LinesOf(ini);
    const bool changedBefore = ini.HasChanged();

    switch (op) {
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
    case 21:
        ini.ReadFile();
        TakeSnapshot(ini);
        break;
    }
    CheckLines(ini);
    if (refused) {
        // Some typed writers write nothing for some values, and say nothing.
        bool reaches = op != 11 && op != 13 && op != 14;
        Check(!reaches || ini.Status == IniNameRefused, "a refused name's status");
        Check(LinesOf(ini) == linesBefore && ini.HasChanged() == changedBefore,
              "a refused name changed the lines");
        Check(op != 15 || !ini.MultiKey, "a refused name started a list");
    } else if (op == 10 || op == 15) {
        // The line written is what the key reads from now on.
        int32_t written = ini.CurrentLine;
        std::string expected = ReadBack(value);
        bool found = ini.FindKey(section, key, buffer);
        if (!expected.empty())
            Check(found && ini.CurrentLine == written && expected == buffer,
                  "a written key does not read back");
    }
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
        CheckLines(ini);
        TakeSnapshot(ini);
        // Read and written back unchanged, any bytes come out as they were:
        // nothing needs writing.
        ini.Changed = true;
        Check(ini.FlushFile() == IniWriteFailed && ini.LastFlush == IniFlushUnchanged &&
                  !ini.HasChanged() && ReadRaw() == content,
              "a round trip without a change");

        FuzzedDataProvider ops(opBytes.data(), opBytes.size());
        for (int i = 0; i < operations; i++)
            RunOperation(ini, ops);
        Check(Others().empty(), "files left beside after a flush on write");
        const Snapshot& read = Read();
        Check(!read.model.utf16 || ReadRaw() == read.bytes, "UTF-16 text written over");

        bool changed = ini.HasChanged();
        std::string before = ReadRaw();
        std::string expected = Expected(ini);

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
            Check(faulty || read.model.utf16, "FlushFile failed with nothing in its way");
            Check(status == IniWriteFailed, "status of a failed flush");
            Check(ini.HasChanged(), "Changed cleared by a failed flush");
            Check(ReadRaw() == before, "a failed flush changed the file");
            Check(others.empty(), "a failed flush left files beside");
        } else {
            Check(ini.LastFlush == IniFlushWritten && status == IniSuccess, "FlushFile");
            Check(!read.model.utf16, "UTF-16 text written over");
            Check(!ini.HasChanged(), "Changed after a flush");
            Check(ReadRaw() == expected, "bytes written");
            // Only a failed removal of the backup leaves it, holding the old file.
            Check(others.empty() || (faulty && others.size() == 1 &&
                                     ReadFrom(Folder() + "/" + others[0]) == before),
                  "files left beside after a flush");

            // The file written reads as the lines in memory.
            TINIFile again(Path().c_str());
            again.MaxLineLength = maxLine;
            Check(again.ReadFile() == IniSuccess, "ReadFile of the written file");
            std::vector<std::string> cut = LinesOf(ini);
            for (std::string& line : cut)
                line.resize(std::min<size_t>(line.size(), maxLine));
            Check(LinesOf(again) == cut, "lines read back");
        }
        for (const std::string& name : others)
            unlink((Folder() + "/" + name).c_str());
        ini.WriteMode = 0;
    }
}
