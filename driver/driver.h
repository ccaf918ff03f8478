// The one conversation with the delete-tracking driver: its requests, its
// records and DriverRequest, which sends one request over a fresh handle.
#ifndef SALVORA_DRIVER_DRIVER_H
#define SALVORA_DRIVER_DRIVER_H

#include <windows.h>
#include <stddef.h>

#include "driver/drives.h"

// Request codes. Their low two bits are the buffer method the driver sees;
// the codes are the driver's own and must not be rewritten with CTL_CODE.
enum DriverRequestCode {
    EnableTracking       = 1,
    DisableTracking      = 2,
    QueryState           = 3,
    IconActivated        = 4,
    CheckPresence        = 5,
    RegisterNotifyWindow = 6,
    GetDriveInfo         = 7,
    SuspendTracking      = 8,
    ResumeTracking       = 9,
    SetDriveInfo         = 10,
    DisableDrive         = 11,
    TrashcanPurged       = 12
};

#pragma pack(push, 1)

// Sent with RegisterNotifyWindow. Window handles are 32-bit values on every
// Windows, so the 64-bit build loses nothing here.
struct NotifyRegistration {
    DWORD window;
    DWORD message;
};

#pragma pack(pop)

static_assert(sizeof(NotifyRegistration) == 8, "registration record is 8 bytes");
static_assert(offsetof(NotifyRegistration, message) == 4, "message at 4");

// Answered by QueryState: nonzero means tracking is enabled.
typedef BYTE TrackingStateByte;
static_assert(sizeof(TrackingStateByte) == 1, "state byte is 1 byte");

// Sends one request; true exactly when the driver answered it with success
// and filled the whole out buffer. When the device cannot be opened nothing
// is written to any buffer.
BOOL DriverRequest(DWORD code, const void* inBuffer, DWORD inSize,
                   void* outBuffer, DWORD outSize, DWORD* bytesReturned);

// The readers below stand in for callers that use an answer without looking
// at the result: a failed request reads as "disabled" / "not protected".

// QueryState's byte, 0 when the request failed.
TrackingStateByte QueryDriverState();

// GetDriveInfo for one drive number; all zero when the request failed.
DriveRecord QueryDriveRecord(int driveNumber);
// The same for a caller that must tell a failed answer from a drive without
// tracking: false, with the record all zero, when the request failed.
bool FetchDriveRecord(int driveNumber, DriveRecord* record);

#endif
