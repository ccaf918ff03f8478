// Feeds arbitrary bytes to TINIFile as a file, runs reads and writes chosen
// by the input, writes the file back, possibly with a file operation made to
// fail, and checks what came out. Shared by the libFuzzer target and the
// native test that replays the corpus.
//
// The input's front is the file; operations are taken from its end, so a
// plain INI file is a useful seed as it stands.
#include "fuzz/inifile_check.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/inifile_model.h"
#include "fuzz/inifile_scratch.h"
#include "inifile/fileio.h"
#include "inifile/inifile.h"

using namespace inicheck;

const char* IniCheckInputName = "";

namespace {

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
