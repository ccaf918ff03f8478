// A plain model of the INI format and of the write-back, against which the
// check compares what TINIFile read and wrote.
#ifndef SALVORA_FUZZ_INIFILE_MODEL_H
#define SALVORA_FUZZ_INIFILE_MODEL_H

#include <stddef.h>

#include <map>
#include <string>
#include <vector>

#include "inifile/inifile.h"

namespace inicheck {

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

Model Split(const std::string& bytes, size_t maxLine);

// The object's lines, a null entry as "".
std::vector<std::string> LinesOf(const TINIFile& ini);
// Checks that no line holds CR or LF.
void CheckLines(const TINIFile& ini);

// What the object read last: the bytes, their model, and which entry was
// made of which line (entries are known by address; a freed entry's address
// may come back, so its text is compared too).
struct Snapshot {
    std::string bytes;
    Model model;
    std::map<const void*, size_t> index;
};

Snapshot& Read();
// Takes the file and the entries just read, and checks the entries against
// the model.
void TakeSnapshot(const TINIFile& ini);

// The bytes a write-back must give: every line that is still the one read
// as it was read (a last line without LF gains CR LF only when lines follow
// it), every other line as its text and CR LF, between the byte-order mark
// and the bytes past the NUL.
std::string Expected(const TINIFile& ini);

// Names the writers must refuse: they would not read back as themselves.
bool KeyHolds(const std::string& key);
bool SectionHolds(const std::string& section);

// What a reader finds for a value written: without line breaks, blanks
// skipped, cut at ";", blanks trimmed, at most IniValueLength characters.
std::string ReadBack(const std::string& value);

}  // namespace inicheck

#endif
