// libFuzzer entry of the INI store's check (inifile_check.cpp).
#include "fuzz/inifile_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CheckIniInput(data, size);
    return 0;
}
