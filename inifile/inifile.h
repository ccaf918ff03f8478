// TINIFile: an INI file held in memory as its list of lines, edited in place
// and written back whole. Every byte that no edit reached is written back as
// it was read (comments, blank lines, other sections, the column of each
// "=", and what the lines cannot show: CRs, the rest of a long line, the
// bytes after a NUL); text the lines cannot stand for is never written over.
#ifndef SALVORA_INIFILE_INIFILE_H
#define SALVORA_INIFILE_INIFILE_H

#include <stddef.h>
#include <stdint.h>

#include "inifile/collections.h"
#include "inifile/fileio.h"

struct TIniSource;

// Status codes of ReadFile, FlushFile and the writers, and the answer of the
// list readers.
const int32_t IniSuccess = 0;
const int32_t IniOpenFailed = 1;
const int32_t IniReadFailed = 2;
const int32_t IniWriteFailed = 3;  // also FlushFile with nothing changed
const int32_t IniNameRefused = 4;  // a writer's name would not read back as itself
const int32_t IniNoValue = 7;      // GetFirstString, GetNextString
const int32_t IniFileMissing = 8;  // the object holds an empty file

// What the last FlushFile did. Its status cannot tell: 3 stands both for
// "nothing to write" and for "the write failed".
const int32_t IniFlushWritten = 0;    // the file now holds the lines
const int32_t IniFlushUnchanged = 1;  // nothing changed, or the file held the lines already
const int32_t IniFlushFailed = 2;     // the file is as it was; HasChanged stays true

// WriteMode bits.
const int32_t FlushOnDestroy = 1;
const int32_t FlushOnWrite = 2;

// Value buffers passed to the string readers hold this many characters plus
// the terminator; longer values are cut to it.
const int IniValueLength = 260;

struct IDTableEntry {
    uint16_t ID;
    const char* Text;
};

struct IDTable {
    uint16_t LastIndex;  // entries 0 to LastIndex
    const IDTableEntry* Entries;
};

// Yes/No, Ja/Nein, 1/0, +/-, True/False.
extern const IDTable BoolWords;

// The ID of the first entry whose word equals text, ASCII letters folded;
// -1 when none does.
int32_t LookupWord(const IDTable& table, const char* text);

// Integer text of a value: optional sign, or "$" for hexadecimal. Text after
// the digits makes the result the digits read so far, without the sign.
// *stop (if given) receives the index where reading stopped.
int32_t IniTextToInt(const char* text, int32_t* stop);

// Values of the Auto readers and writers. A setting that is on, off or left
// to the program; the AutoNo pair knows only "Auto" and "No".
const int32_t AutoStateNo = 0;
const int32_t AutoStateYes = 1;
const int32_t AutoStateAuto = 2;

class TINIFile : public TObject {
public:
    int32_t Status;
    char* FileName;
    uint16_t BufferSize;
    bool IndentKeys;
    uint16_t MaxLineLength;
    bool SyntaxError;  // set on malformed lines or values, never cleared
    int32_t KeyWidth;
    int32_t SepColumn;
    int32_t WriteMode;
    TPCharCollection* Lines;  // null until the first ReadFile
    bool Changed;
    int32_t SectionFirst;
    int32_t SectionLast;
    int32_t CurrentLine;
    char* MultiKey;
    int32_t LastFlush;  // IniFlushUnchanged until the first FlushFile

    explicit TINIFile(const char* fileName);
    ~TINIFile() override;

    // Virtual operations, in slot order. Section, key and value arguments
    // are NUL-terminated strings; a null one is taken as "".
    virtual void Error(int32_t code);
    virtual void GetInt(const char* section, const char* key, int32_t def,
                        int32_t& value);
    virtual void GetChar(const char* section, const char* key, char def,
                         char& value);
    // value holds IniValueLength + 1 characters.
    virtual void GetString(const char* section, const char* key,
                           const char* def, char* value, int32_t unused);
    virtual void GetIDString(const char* section, const char* key, int32_t def,
                             int32_t& value, const IDTable& table);
    virtual void GetBool(const char* section, const char* key, bool def,
                         bool& value);
    // "Auto", or a word of BoolWords; anything else keeps the default.
    virtual void GetAutoYesNo(const char* section, const char* key,
                              int32_t def, int32_t& value);
    // "Auto", or a word of BoolWords that means no.
    virtual void GetAutoNo(const char* section, const char* key, int32_t def,
                           int32_t& value);
    virtual int32_t GetFirstString(const char* section, const char* key,
                                   char* value, int32_t unused);
    virtual int32_t GetNextString(const char* key, char* value, int32_t unused);
    virtual void WriteInt(const char* section, const char* key, int32_t value);
    virtual void WriteChar(const char* section, const char* key, char value);
    virtual void WriteString(const char* section, const char* key,
                             const char* value);
    virtual void WriteIDString(const char* section, const char* key,
                               int32_t id, const IDTable& table);
    virtual void WriteBool(const char* section, const char* key, bool value);
    // "Auto", "Yes" or "No"; any other value writes nothing.
    virtual void WriteAutoYesNo(const char* section, const char* key,
                                int32_t value);
    // "Auto" or "No"; any other value writes nothing.
    virtual void WriteAutoNo(const char* section, const char* key,
                             int32_t value);
    virtual void WriteFirstString(const char* section, const char* key,
                                  const char* value);
    virtual void WriteNextString(const char* value);
    virtual void WriteClose();
    virtual void ClearKeys(const char* section, const char* key);

    int32_t ReadFile();
    // 0 when the lines were written, 3 otherwise (LastFlush says why). The
    // lines go to a new file beside the old one, which takes the old one's
    // place only when it is complete: whatever fails, the old file stays.
    int32_t FlushFile();
    bool HasChanged() const { return Changed; }
    void WriteLine(int32_t index, const char* text);

    // Shared by the readers and writers.
    bool FindSection(const char* name);
    // value, when given, holds IniValueLength + 1 characters.
    bool FindNextKey(const char* key, char* value);
    bool FindKey(const char* section, const char* key, char* value);
    // A heap key line (StrDispose), or null when out of memory.
    char* FormatKeyLine(const char* key, int32_t width, const char* value);

private:
    // False after a ReadFile that could not read the whole file: writing the
    // lines back would then replace the file with part of it.
    bool FileIsWhole;
    // The bytes last read, which the write-back gives back wherever no
    // edit reached.
    TIniSource* Source;

    const char* LineAt(int32_t index) const;
    bool ReadBytes(TFileHandle handle);
    bool SplitLines(bool whole);
    // False, with Status and Error telling IniNameRefused, when a name would
    // not read back as itself: the writers then change nothing.
    bool NamesHold(const char* section, const char* key);
    bool FileHolds(char* mine, char* theirs, size_t size);
    bool WriteBeside(char* buffer, size_t size);
};

#endif
