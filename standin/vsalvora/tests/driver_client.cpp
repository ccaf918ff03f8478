// Requests to the stand-in driver, as the product and the control tool send
// them.
#include "driver_client.h"

#include <string.h>

namespace vstest {

bool Request(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* error)
{
    HANDLE h = CreateFileA(VSCTL_PUBLIC_NAME_A, 0, 0, NULL, 0, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        if (error) *error = GetLastError();
        return false;
    }
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned,
                              NULL);
    if (error) *error = ok ? 0 : GetLastError();
    CloseHandle(h);
    return ok != FALSE;
}

VSCTL_STATUS Status()
{
    VSCTL_STATUS s;
    memset(&s, 0xEE, sizeof(s));
    EXPECT_TRUE(Control(VSCTL_GET_STATUS, NULL, 0, &s, sizeof(s)));
    return s;
}

Log ReadLog()
{
    std::vector<unsigned char> raw(sizeof(VSCTL_LOG));
    VSCTL_LOG* log = reinterpret_cast<VSCTL_LOG*>(raw.data());
    Log result;
    EXPECT_TRUE(Control(VSCTL_READ_LOG, NULL, 0, log, sizeof(VSCTL_LOG)));
    EXPECT_LE(log->count, (unsigned)VSCTL_LOG_CAPACITY);
    result.entries.assign(log->entries, log->entries + log->count);
    result.dropped = log->dropped;
    return result;
}

unsigned char QueryState()
{
    unsigned char state = 0xEE;
    EXPECT_TRUE(Request(3, NULL, 0, &state, 1));
    return state;
}

bool GetDrive(DWORD drive, unsigned char record[8])
{
    return Request(7, &drive, 4, record, 8);
}

}  // namespace vstest
