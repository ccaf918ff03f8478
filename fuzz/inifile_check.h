// The INI store's fuzz check, apart from libFuzzer so that the native tests
// can replay the corpus through it. A failed check prints what failed, with
// IniCheckInputName, and aborts.
#ifndef SALVORA_FUZZ_INIFILE_CHECK_H
#define SALVORA_FUZZ_INIFILE_CHECK_H

#include <stddef.h>
#include <stdint.h>

extern const char* IniCheckInputName;

void CheckIniInput(const uint8_t* data, size_t size);

#endif
