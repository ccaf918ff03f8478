#include "driver/driver.h"

#include <string.h>

BOOL DriverRequest(DWORD code, const void* inBuffer, DWORD inSize,
                   void* outBuffer, DWORD outSize, DWORD* bytesReturned)
{
    // Creation disposition 0 is how Windows 95 opens a VxD; no handle is kept,
    // so a driver loaded or unloaded between two requests is always seen.
    HANDLE device = CreateFileA("\\\\.\\VSALVORA", 0, 0, NULL, 0, 0, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return FALSE;

    DWORD returned = 0;
    BOOL ok = DeviceIoControl(device, code, const_cast<void*>(inBuffer), inSize,
                              outBuffer, outSize, &returned, NULL);
    CloseHandle(device);
    if (bytesReturned)
        *bytesReturned = returned;
    // An answer shorter than its record leaves fields the driver never
    // wrote; read as a record, they would be sent back and recorded.
    return ok && returned >= outSize ? TRUE : FALSE;
}

TrackingStateByte QueryDriverState()
{
    TrackingStateByte state = 0;
    DWORD returned = 0;
    if (!DriverRequest(QueryState, NULL, 0, &state, sizeof state, &returned))
        state = 0;
    return state;
}

bool FetchDriveRecord(int driveNumber, DriveRecord* record)
{
    memset(record, 0, sizeof *record);
    DWORD drive = (DWORD)driveNumber;
    DWORD returned = 0;
    if (DriverRequest(GetDriveInfo, &drive, sizeof drive, record, sizeof *record, &returned))
        return true;
    memset(record, 0, sizeof *record);
    return false;
}

DriveRecord QueryDriveRecord(int driveNumber)
{
    DriveRecord record;
    FetchDriveRecord(driveNumber, &record);
    return record;
}
