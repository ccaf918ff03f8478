// The check's scratch folder: one of this process's own, so that nothing but
// the store's files shows in it after a flush, and the file the store works
// on. A failed check prints what failed, with IniCheckInputName, removes the
// folder and aborts.
#ifndef SALVORA_FUZZ_INIFILE_SCRATCH_H
#define SALVORA_FUZZ_INIFILE_SCRATCH_H

#include <string>
#include <vector>

namespace inicheck {

const std::string& Folder();
// The store's file in Folder().
const std::string& Path();
// Every file in the folder but the store's own.
std::vector<std::string> Others();
void RemoveFolder();

void Check(bool ok, const char* what);

// Path()'s bytes, written or read without the store.
void WriteRaw(const std::string& bytes);
std::string ReadFrom(const std::string& path);
std::string ReadRaw();

}  // namespace inicheck

#endif
