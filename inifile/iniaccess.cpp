// Typed readers and writers of TINIFile, and repeated keys. Readers never
// fail: what they cannot use leaves the caller's default.
#include <string.h>

#include "inifile/inifile.h"
#include "inifile/initext.h"

namespace {

const IDTableEntry BoolEntries[] = {
    {1, "Yes"}, {0, "No"}, {1, "Ja"}, {0, "Nein"}, {1, "1"},
    {0, "0"}, {1, "+"}, {0, "-"}, {1, "True"}, {0, "False"},
};

const IDTableEntry AutoEntries[] = {
    {AutoStateAuto, "Auto"},
    {1, "Yes"}, {0, "No"}, {1, "Ja"}, {0, "Nein"}, {1, "1"},
    {0, "0"}, {1, "+"}, {0, "-"}, {1, "True"}, {0, "False"},
};

const IDTable AutoWords = {
    sizeof(AutoEntries) / sizeof(AutoEntries[0]) - 1, AutoEntries};

int32_t HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = IniUpCase(c);
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

const IDTable BoolWords = {
    sizeof(BoolEntries) / sizeof(BoolEntries[0]) - 1, BoolEntries};

int32_t LookupWord(const IDTable& table, const char* text)
{
    text = IniStr(text);
    size_t length = strlen(text);
    if (!table.Entries)
        return -1;
    for (uint32_t i = 0; i <= table.LastIndex; i++) {
        const char* word = table.Entries[i].Text;
        if (word && strlen(word) == length && IniSameText(word, text, length))
            return table.Entries[i].ID;
    }
    return -1;
}

int32_t IniTextToInt(const char* text, int32_t* stop)
{
    text = IniStr(text);
    int32_t i = 0;
    while (text[i] == ' ')
        i++;
    bool negative = false;
    bool hex = false;
    if (text[i] == '-') {
        negative = true;
        i++;
    } else if (text[i] == '+') {
        i++;
    } else if (text[i] == '$') {
        hex = true;
        i++;
    }
    // Arithmetic in 32 bits, as the stored values have always been read:
    // a decimal number just past the range wraps.
    uint32_t value = 0;
    for (; text[i]; i++) {
        int32_t digit = HexDigit(text[i]);
        if (digit < 0 || (!hex && digit > 9))
            break;
        if (hex ? value > 0x0FFFFFFFu : value > 214748364u)
            break;
        value = value * (hex ? 16u : 10u) + static_cast<uint32_t>(digit);
    }
    if (stop)
        *stop = i;
    if (text[i])
        return static_cast<int32_t>(value);
    return static_cast<int32_t>(negative ? 0u - value : value);
}

void TINIFile::GetInt(const char* section, const char* key, int32_t def,
                      int32_t& value)
{
    char text[IniValueLength + 1];
    value = def;
    if (FindKey(section, key, text))
        value = IniTextToInt(text, 0);
}

void TINIFile::GetChar(const char* section, const char* key, char def, char& value)
{
    char text[IniValueLength + 1];
    value = def;
    if (!FindKey(section, key, text))
        return;
    if (text[1] == 0)
        value = text[0];
    else
        SyntaxError = true;
}

void TINIFile::GetString(const char* section, const char* key, const char* def,
                         char* value, int32_t)
{
    // The search goes to a buffer of its own, so a default that lives in the
    // caller's buffer is still there when it is needed.
    char text[IniValueLength + 1];
    if (!value)
        return;
    const char* result = FindKey(section, key, text) ? text : IniStr(def);
    size_t length = strlen(result);
    if (length > IniValueLength)
        length = IniValueLength;
    memmove(value, result, length);
    value[length] = 0;
}

void TINIFile::GetIDString(const char* section, const char* key, int32_t def,
                           int32_t& value, const IDTable& table)
{
    char text[IniValueLength + 1];
    value = def;
    if (FindKey(section, key, text))
        value = LookupWord(table, text);
}

void TINIFile::GetBool(const char* section, const char* key, bool def, bool& value)
{
    char text[IniValueLength + 1];
    value = def;
    if (!FindKey(section, key, text))
        return;
    int32_t id = LookupWord(BoolWords, text);
    if (id == 0 || id == 1)
        value = id == 1;
    else
        SyntaxError = true;
}

void TINIFile::GetAutoYesNo(const char* section, const char* key, int32_t def,
                            int32_t& value)
{
    char text[IniValueLength + 1];
    value = def;
    if (!FindKey(section, key, text))
        return;
    int32_t id = LookupWord(AutoWords, text);
    if (id >= 0)
        value = id;
    else
        SyntaxError = true;
}

void TINIFile::GetAutoNo(const char* section, const char* key, int32_t def,
                         int32_t& value)
{
    char text[IniValueLength + 1];
    value = def;
    if (!FindKey(section, key, text))
        return;
    int32_t id = LookupWord(AutoWords, text);
    if (id == AutoStateAuto || id == AutoStateNo)
        value = id;
    else
        SyntaxError = true;
}

// A list walk: each answer moves the start of the section down one line, so
// the next search begins below the line just answered when the values stand
// at the top of their section, where WriteFirstString puts them.
int32_t TINIFile::GetFirstString(const char* section, const char* key,
                                 char* value, int32_t)
{
    char text[IniValueLength + 1];
    if (!FindKey(section, key, text))
        return IniNoValue;
    if (value)
        strcpy(value, text);
    SectionFirst++;
    return IniSuccess;
}

int32_t TINIFile::GetNextString(const char* key, char* value, int32_t)
{
    char text[IniValueLength + 1];
    if (!FindNextKey(key, text))
        return IniNoValue;
    if (value)
        strcpy(value, text);
    SectionFirst++;
    return IniSuccess;
}

void TINIFile::WriteInt(const char* section, const char* key, int32_t value)
{
    char digits[12];
    char* p = digits + sizeof(digits) - 1;
    *p = 0;
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value)
                                   : static_cast<uint32_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *--p = '-';
    WriteString(section, key, p);
}

void TINIFile::WriteChar(const char* section, const char* key, char value)
{
    char text[2] = {value, 0};
    WriteString(section, key, text);
}

void TINIFile::WriteIDString(const char* section, const char* key, int32_t id,
                             const IDTable& table)
{
    if (!table.Entries)
        return;
    for (uint32_t i = 0; i <= table.LastIndex; i++)
        if (table.Entries[i].ID == id)
            WriteString(section, key, table.Entries[i].Text);
}

void TINIFile::WriteBool(const char* section, const char* key, bool value)
{
    WriteString(section, key, value ? "Yes" : "No");
}

void TINIFile::WriteAutoYesNo(const char* section, const char* key, int32_t value)
{
    if (value == AutoStateYes)
        WriteString(section, key, "Yes");
    else if (value == AutoStateNo || value == AutoStateAuto)
        WriteAutoNo(section, key, value);
}

void TINIFile::WriteAutoNo(const char* section, const char* key, int32_t value)
{
    if (value == AutoStateAuto)
        WriteString(section, key, "Auto");
    else if (value == AutoStateNo)
        WriteString(section, key, "No");
}

void TINIFile::ClearKeys(const char* section, const char* key)
{
    CurrentLine = -1;
    if (!NamesHold(section, key) || !FindSection(section))
        return;
    // Each search starts again at the top of the section; lines whose value
    // is empty are not found and stay.
    while (FindNextKey(key, 0)) {
        Lines->FreeAt(CurrentLine);
        SectionLast--;
        Changed = true;
    }
}

void TINIFile::WriteFirstString(const char* section, const char* key,
                                const char* value)
{
    StrDispose(MultiKey);
    MultiKey = 0;
    // A refused name starts no list: the values that follow go nowhere.
    if (!NamesHold(section, key))
        return;
    int32_t mode = WriteMode;
    WriteMode = 4;  // neither flag: the list is written back at WriteClose
    ClearKeys(section, key);
    MultiKey = StrNew(IniStr(key));
    WriteString(section, key, value);
    WriteMode = mode;
}

void TINIFile::WriteNextString(const char* value)
{
    if (!MultiKey || !Lines)
        return;
    int32_t index = CurrentLine + 1;
    // A reload since WriteFirstString may have shortened the list.
    if (index > Lines->ItemCount)
        index = Lines->ItemCount;
    if (index < 0)
        index = 0;
    char* line = FormatKeyLine(MultiKey, SepColumn, value);
    if (!line)
        return;
    if (!Lines->InsertAt(index, line)) {
        StrDispose(line);
        return;
    }
    CurrentLine = index;
    Changed = true;
}

void TINIFile::WriteClose()
{
    StrDispose(MultiKey);
    MultiKey = 0;
    if (WriteMode & FlushOnWrite)
        FlushFile();
}
