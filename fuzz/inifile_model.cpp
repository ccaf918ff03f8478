// The model of the INI format and of the write-back.
#include "fuzz/inifile_model.h"

#include <string.h>

#include "fuzz/inifile_scratch.h"

namespace inicheck {

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

}  // namespace inicheck
