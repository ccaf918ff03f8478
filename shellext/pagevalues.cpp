#include "shellext/pagevalues.h"

#include <string.h>

namespace {

// Bounded text building: never writes past outSize, always terminates.
struct TextOut {
    char* out;
    size_t size;
    size_t length;

    void Put(const char* text)
    {
        for (; *text && length + 1 < size; ++text)
            out[length++] = *text;
        out[length] = '\0';
    }
    void PutNumber(uint64_t value)
    {
        char reversed[24];
        int n = 0;
        do {
            reversed[n++] = (char)('0' + value % 10);
            value /= 10;
        } while (value);
        char digits[24];
        for (int i = 0; i < n; ++i)
            digits[i] = reversed[n - 1 - i];
        digits[n] = '\0';
        Put(digits);
    }
};

TextOut Start(char* out, size_t outSize)
{
    TextOut t = {out, outSize, 0};
    if (outSize)
        out[0] = '\0';
    return t;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

DiskGeometry GeometryOf(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                        uint32_t totalClusters)
{
    uint64_t cluster = (uint64_t)sectorsPerCluster * bytesPerSector;
    DiskGeometry disk;
    disk.clusterSize = cluster > 0xFFFFFFFFu ? 0xFFFFFFFFu : (uint32_t)cluster;
    disk.diskSize = (uint64_t)disk.clusterSize * totalClusters;
    return disk;
}

PageStart PageStartOf(const DriveRecord& record)
{
    PageStart start;
    start.tracking = record.enabled != 0;
    start.dayCountChecked = record.dayCount != 0;
    start.maxPercent = start.tracking ? record.maxPercent : 5;
    start.dayCount = start.tracking ? record.dayCount : 5;
    TextOut text = Start(start.dayCountText, sizeof start.dayCountText);
    text.PutNumber(start.dayCount);
    return start;
}

uint64_t MegabytesAt(uint64_t diskSize, uint16_t percent)
{
    // (size div 100) x percent can pass 64 bits; taken apart at the
    // megabyte it cannot, and it comes out exactly the same.
    uint64_t hundredth = diskSize / 100;
    return (hundredth >> 20) * percent + (((hundredth & 0xFFFFF) * percent) >> 20);
}

void FormatPercentText(uint16_t percent, uint64_t diskSize, char* out, size_t outSize)
{
    TextOut text = Start(out, outSize);
    text.PutNumber(percent);
    text.Put("% (");
    text.PutNumber(MegabytesAt(diskSize, percent));
    text.Put(" MByte)");
}

bool ParseWholeNumber(const char* text, int32_t* value)
{
    const char* p = text;
    while (*p == ' ')
        ++p;
    if (*p == '$') {
        ++p;
        if (!*p)
            return false;
        uint64_t bits = 0;
        for (; *p; ++p) {
            int digit = HexDigit(*p);
            if (digit < 0)
                return false;
            bits = bits * 16 + (uint64_t)digit;
            if (bits > 0xFFFFFFFFu)
                return false;
        }
        *value = (int32_t)(uint32_t)bits;
        return true;
    }
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    if (!*p)
        return false;
    // One past the largest positive value: the magnitude of the smallest.
    const uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    uint64_t magnitude = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        magnitude = magnitude * 10 + (uint64_t)(*p - '0');
        if (magnitude > limit)
            return false;
    }
    *value = negative ? (int32_t)(0 - magnitude) : (int32_t)magnitude;
    return true;
}

bool ParseDayCount(const char* text, uint8_t* dayCount)
{
    if (strlen(text) > kDayCountTextMax)
        return false;
    int32_t value = 0;
    if (!ParseWholeNumber(text, &value) || value < 0 || value > 100)
        return false;
    *dayCount = (uint8_t)value;
    return true;
}

uint16_t MaximumClusters(uint64_t diskSize, uint16_t percent, uint32_t clusterSize)
{
    if (clusterSize == 0)
        return 0;
    // ceil(hundredth x percent / cluster) without a product beyond 64 bits:
    // hundredth = whole x cluster + rest.
    uint64_t hundredth = diskSize / 100;
    uint64_t whole = hundredth / clusterSize;
    uint64_t rest = hundredth % clusterSize;
    if (whole > 0xFFFF)
        return percent ? 0xFFFF : 0;
    uint64_t clusters = whole * percent + (rest * percent + clusterSize - 1) / clusterSize;
    return clusters > 0xFFFF ? 0xFFFF : (uint16_t)clusters;
}

DriveRecord TrackedDriveRecord(int drive, const DiskGeometry& disk, uint16_t percent,
                               uint8_t dayCount)
{
    DriveRecord record;
    record.drive = (uint8_t)drive;
    record.enabled = 1;
    // The record holds 16 bits of the cluster size.
    record.clusterSize = (uint16_t)(disk.clusterSize & 0xFFFF);
    record.maxClusters = MaximumClusters(disk.diskSize, percent, disk.clusterSize);
    record.maxPercent = (uint8_t)(percent & 0xFF);
    record.dayCount = dayCount;
    return record;
}

int DriveEntryTexts(const DriveRecord table[kDriveSlots], char texts[kDriveSlots][kDriveEntrySize])
{
    int count = 0;
    for (int slot = 0; slot < kDriveSlots; ++slot) {
        if (!table[slot].enabled)
            continue;
        const char letter[] = {DriveLetter(slot + 1), '\0'};
        TextOut text = Start(texts[count++], kDriveEntrySize);
        text.Put(letter);
        text.Put(":,");
        text.PutNumber(table[slot].maxPercent);
        text.Put("%,");
        text.PutNumber(table[slot].dayCount);
    }
    return count;
}
