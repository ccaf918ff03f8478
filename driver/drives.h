// Drives as the driver knows them: a number for each of the 26 letters and
// the 8-byte record of one drive's settings. Portable, so that the drive
// page's numbers and the drive rules are tested natively.
#ifndef SALVORA_DRIVER_DRIVES_H
#define SALVORA_DRIVER_DRIVES_H

#include <stddef.h>
#include <stdint.h>

// Drive numbers run from 1 for A: to 26 for Z:, one slot each.
const int kDriveSlots = 26;

inline bool IsDriveNumber(int drive)
{
    return drive >= 1 && drive <= kDriveSlots;
}

// The drive number of a path's first character: upper-case letters only, as
// the shell hands them over; 0 for any other path, which has no slot and is
// never sent to the driver.
inline int DriveNumberOfPath(const char* path)
{
    if (!path || path[0] < 'A' || path[0] > 'Z')
        return 0;
    return path[0] - 'A' + 1;
}

// The letter of a drive number, upper case.
inline char DriveLetter(int drive)
{
    return (char)('A' + drive - 1);
}

// "X:\" for a drive number.
inline void DriveRoot(int drive, char root[4])
{
    root[0] = DriveLetter(drive);
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
}

#pragma pack(push, 1)

// Exchanged by GetDriveInfo (driver to caller) and SetDriveInfo.
struct DriveRecord {
    uint8_t drive;          // 1 for A: .. 26 for Z:
    uint8_t enabled;        // nonzero: the drive is protected
    uint16_t clusterSize;   // bytes per cluster, low 16 bits
    uint16_t maxClusters;   // Trashcan limit in clusters
    uint8_t maxPercent;     // the same limit in percent of the drive, 0..100
    uint8_t dayCount;       // 0..100; 0 when the day count is off
};

#pragma pack(pop)

static_assert(sizeof(DriveRecord) == 8, "drive record is 8 bytes");
static_assert(offsetof(DriveRecord, drive) == 0, "drive at 0");
static_assert(offsetof(DriveRecord, enabled) == 1, "enabled at 1");
static_assert(offsetof(DriveRecord, clusterSize) == 2, "cluster size at 2");
static_assert(offsetof(DriveRecord, maxClusters) == 4, "maximum clusters at 4");
static_assert(offsetof(DriveRecord, maxPercent) == 6, "maximum percent at 6");
static_assert(offsetof(DriveRecord, dayCount) == 7, "day count at 7");

#endif
