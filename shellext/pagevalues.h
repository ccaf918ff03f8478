// The drive page's numbers, apart from the dialog, the driver and the INI
// file: the disk's size, the percent text under the slider, the day count
// the user typed, the record the driver gets and the "Drive" entries of
// Salvora.ini. Plain data in, plain data out.
#ifndef SALVORA_SHELLEXT_PAGEVALUES_H
#define SALVORA_SHELLEXT_PAGEVALUES_H

#include <stddef.h>
#include <stdint.h>

#include "driver/drives.h"

// The disk as GetDiskFreeSpaceA describes it. 64 bits: disks of 2 and 4 GB
// and more must not wrap into small or negative sizes.
struct DiskGeometry {
    uint32_t clusterSize;   // bytes per cluster, 0 when the disk did not answer
    uint64_t diskSize;      // bytes
};

// A cluster size beyond 32 bits (no real disk has one) is pinned at the
// largest 32-bit value.
DiskGeometry GeometryOf(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t totalClusters);

// What the page shows when it opens, from the driver's record of its drive.
struct PageStart {
    bool tracking;
    bool dayCountChecked;   // from the record even when tracking is off
    uint16_t maxPercent;    // 5 unless tracking is on
    uint8_t dayCount;       // 5 unless tracking is on
    char dayCountText[4];   // dayCount in decimal digits
};

PageStart PageStartOf(const DriveRecord& record);

// The megabytes that percent of the disk stands for: (size div 100) times
// percent div 1048576, every division truncating.
uint64_t MegabytesAt(uint64_t diskSize, uint16_t percent);

// "10% (50 MByte)", the text under the slider. out holds at least 32
// characters.
void FormatPercentText(uint16_t percent, uint64_t diskSize, char* out, size_t outSize);

// The longest day-count text the page reads. A longer one is refused whole:
// cut to this length it could read as another number.
const size_t kDayCountTextMax = 50;

// A whole number: leading blanks, then an optional "+" or "-" and decimal
// digits up to the end, or "$" and hexadecimal digits up to the end. False
// for an empty text, any other character (trailing blanks too) or a number
// beyond 32 bits. "$" numbers are 32-bit patterns: "$FFFFFFFF" is -1.
bool ParseWholeNumber(const char* text, int32_t* value);

// The day count of the edit's text: a whole number from 0 to 100, in a text
// of at most kDayCountTextMax characters.
bool ParseDayCount(const char* text, uint8_t* dayCount);

// The Trashcan's limit in clusters: percent of the disk, rounded up to
// whole clusters, pinned at 65535 when it does not fit the record's 16
// bits; 0 for a disk that told no cluster size.
uint16_t MaximumClusters(uint64_t diskSize, uint16_t percent, uint32_t clusterSize);

// The record the driver gets when tracking is on for the drive.
DriveRecord TrackedDriveRecord(int drive, const DiskGeometry& disk, uint16_t percent,
                               uint8_t dayCount);

// The "Drive" entries of Salvora.ini: one "%c:,%i%%,%i" text (letter,
// maximum percent, day count) for each drive whose record has tracking on,
// drives A: to Z: in order; table[i] is the record of drive i + 1. Returns
// how many were written into texts.
const size_t kDriveEntrySize = 16;
int DriveEntryTexts(const DriveRecord table[kDriveSlots], char texts[kDriveSlots][kDriveEntrySize]);

#endif
