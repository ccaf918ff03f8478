// The drive page's numbers: the disk's size and the text under the slider,
// the limit in clusters, the typed day count, the record and the INI
// entries.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "shellext/pagevalues.h"

namespace {

std::string PercentText(uint16_t percent, uint64_t diskSize)
{
    char text[40];
    FormatPercentText(percent, diskSize, text, sizeof text);
    return text;
}

TEST(PageNumbers, TextAndLimitForEachDisk)
{
    const uint64_t GB = 1ull << 30;
    const struct Case {
        uint32_t sectorsPerCluster, bytesPerSector, totalClusters;
        uint16_t percent;
        uint64_t diskSize;
        const char* text;
        uint16_t maxClusters;
    } cases[] = {
        // The examples of the page's own description.
        {8, 512, 256000, 25, 1048576000, "25% (250 MByte)", 64000},
        {16, 512, 64000, 10, 524288000, "10% (50 MByte)", 6400},
        {16, 512, 64000, 0, 524288000, "0% (0 MByte)", 0},
        // The largest disk Windows 95 reports, just below 2 GB.
        {64, 512, 65535, 100, 2147450880, "100% (2047 MByte)", 65535},
        {64, 512, 65535, 3, 2147450880, "3% (61 MByte)", 1967},
        // Beyond 2 and 4 GB the sizes stay whole; a limit beyond 16 bits is
        // pinned at 65535 rather than wrapped to a small number.
        {8, 512, 786432, 10, 3 * GB, "10% (307 MByte)", 65535},
        {64, 512, 98304, 10, 3 * GB, "10% (307 MByte)", 9831},
        {64, 512, 262144, 5, 8 * GB, "5% (409 MByte)", 13108},
        {64, 512, 262144, 100, 8 * GB, "100% (8191 MByte)", 65535},
        {128, 512, 4194304, 1, 256 * GB, "1% (2621 MByte)", 41944},
        // A disk that did not answer: nothing to divide by.
        {0, 0, 0, 5, 0, "5% (0 MByte)", 0},
        {8, 0, 1000, 50, 0, "50% (0 MByte)", 0},
        // Sizes no disk has: nothing overflows.
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 100, 0xFFFFFFFE00000001ull,
         "100% (17592186036223 MByte)", 65535},
    };
    for (const Case& c : cases) {
        DiskGeometry disk = GeometryOf(c.sectorsPerCluster, c.bytesPerSector, c.totalClusters);
        SCOPED_TRACE(testing::Message() << c.diskSize << " bytes, " << c.percent << "%");
        EXPECT_EQ(c.diskSize, disk.diskSize);
        EXPECT_EQ(c.text, PercentText(c.percent, disk.diskSize));
        EXPECT_EQ(c.maxClusters, MaximumClusters(disk.diskSize, c.percent, disk.clusterSize));
    }
}

TEST(PageNumbers, ExactForAnyDisk)
{
    std::mt19937_64 random(20240613);
    for (int i = 0; i < 200000; ++i) {
        uint64_t size = random() >> (random() % 64);
        uint32_t cluster = (uint32_t)(random() >> (32 + random() % 32));
        uint16_t percent = (uint16_t)(i % 3 ? random() % 101 : random());
        unsigned __int128 limit = (unsigned __int128)(size / 100) * percent;
        EXPECT_EQ((uint64_t)(limit >> 20), MegabytesAt(size, percent)) << size << " " << percent;
        unsigned __int128 clusters = cluster ? (limit + cluster - 1) / cluster : 0;
        EXPECT_EQ(clusters > 0xFFFF ? 0xFFFF : (uint16_t)clusters,
                  MaximumClusters(size, percent, cluster))
            << size << " " << percent << " " << cluster;
    }
}

TEST(PageNumbers, TheTextFitsItsBuffer)
{
    char text[32];
    FormatPercentText(100, ~0ull, text, sizeof text);
    EXPECT_EQ("100% (17592186044415 MByte)", std::string(text));
    // A short buffer gets what fits, terminated.
    char shorter[8];
    FormatPercentText(100, 1ull << 40, shorter, sizeof shorter);
    EXPECT_EQ("100% (1", std::string(shorter));
}

TEST(DayCount, Syntax)
{
    const int kInvalid = -1000;   // not a number of the syntax
    const int kOutside = -2000;   // a number, but no day count
    const struct Case {
        std::string text;
        long long number;   // or kInvalid
        int dayCount;       // or kInvalid / kOutside
    } cases[] = {
        {"0", 0, 0},
        {"100", 100, 100},
        {"7", 7, 7},
        {" 7", 7, 7},
        {"    7", 7, 7},
        {"+7", 7, 7},
        {"-0", 0, 0},
        {"007", 7, 7},
        {"$1F", 31, 31},
        {"$1f", 31, 31},
        {"$64", 100, 100},
        {" $a", 10, 10},
        {"$0000000000A", 10, 10},
        {"150", 150, kOutside},
        {"101", 101, kOutside},
        {"-1", -1, kOutside},
        {"$65", 101, kOutside},
        {"2147483647", 2147483647, kOutside},
        {"-2147483648", -2147483648LL, kOutside},
        {"$7FFFFFFF", 2147483647, kOutside},
        {"$FFFFFFFF", -1, kOutside},
        {"$80000000", -2147483648LL, kOutside},
        {"2147483648", kInvalid, kInvalid},
        {"-2147483649", kInvalid, kInvalid},
        {"99999999999999999999", kInvalid, kInvalid},
        {"$100000000", kInvalid, kInvalid},
        {"", kInvalid, kInvalid},
        {"   ", kInvalid, kInvalid},
        {"+", kInvalid, kInvalid},
        {"-", kInvalid, kInvalid},
        {"$", kInvalid, kInvalid},
        {"12a", kInvalid, kInvalid},
        {"7 ", kInvalid, kInvalid},
        {"\t7", kInvalid, kInvalid},
        {"7\t", kInvalid, kInvalid},
        {"- 7", kInvalid, kInvalid},
        {"+-7", kInvalid, kInvalid},
        {"$-1", kInvalid, kInvalid},
        {"-$1", kInvalid, kInvalid},
        {"$ 1", kInvalid, kInvalid},
        {"$G", kInvalid, kInvalid},
        {"0x10", kInvalid, kInvalid},
        {"1e2", kInvalid, kInvalid},
        {"1.0", kInvalid, kInvalid},
        {"1,0", kInvalid, kInvalid},
        // The page reads 50 characters; a longer text is not cut into a
        // number it does not say.
        {std::string(49, '0') + "7", 7, 7},
        {std::string(50, '0') + "7", 7, kInvalid},
        {std::string(49, ' ') + "7", 7, 7},
        {std::string(50, ' ') + "7", 7, kInvalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        int32_t number = 12345;
        bool parsed = ParseWholeNumber(c.text.c_str(), &number);
        EXPECT_EQ(c.number != kInvalid, parsed);
        EXPECT_EQ(parsed ? c.number : 12345, number);
        uint8_t dayCount = 99;
        bool valid = ParseDayCount(c.text.c_str(), &dayCount);
        EXPECT_EQ(c.dayCount >= 0, valid);
        EXPECT_EQ(valid ? c.dayCount : 99, dayCount);
    }
}

TEST(PageStart, FromTheDriversRecord)
{
    const struct Case {
        DriveRecord record;
        bool tracking, dayCountChecked;
        uint16_t percent;
        uint8_t dayCount;
        const char* text;
    } cases[] = {
        {{4, 1, 4096, 100, 10, 7}, true, true, 10, 7, "7"},
        {{4, 1, 4096, 100, 25, 0}, true, false, 25, 0, "0"},
        {{4, 0xFF, 0, 0, 0, 255}, true, true, 0, 255, "255"},
        // Tracking off: 5 and 5, but the day-count box as the record says.
        {{4, 0, 4096, 100, 30, 9}, false, true, 5, 5, "5"},
        {{4, 0, 0, 0, 0, 0}, false, false, 5, 5, "5"},
    };
    for (const Case& c : cases) {
        PageStart start = PageStartOf(c.record);
        EXPECT_EQ(c.tracking, start.tracking);
        EXPECT_EQ(c.dayCountChecked, start.dayCountChecked);
        EXPECT_EQ(c.percent, start.maxPercent);
        EXPECT_EQ(c.dayCount, start.dayCount);
        EXPECT_STREQ(c.text, start.dayCountText);
    }
}

TEST(DriveRecord, WhatTheDriverGets)
{
    DriveRecord v = TrackedDriveRecord(4, GeometryOf(16, 512, 64000), 10, 5);
    EXPECT_EQ(4, v.drive);
    EXPECT_EQ(1, v.enabled);
    EXPECT_EQ(8192, v.clusterSize);
    EXPECT_EQ(6400, v.maxClusters);
    EXPECT_EQ(10, v.maxPercent);
    EXPECT_EQ(5, v.dayCount);
    // The record holds 16 bits of the cluster size; the limit is counted
    // in the whole size.
    v = TrackedDriveRecord(26, GeometryOf(128, 512, 1000), 100, 0);
    EXPECT_EQ(0, v.clusterSize);
    EXPECT_EQ(1000, v.maxClusters);
}

TEST(DriveEntries, OnePerTrackedDriveInOrder)
{
    DriveRecord table[kDriveSlots] = {};
    char texts[kDriveSlots][kDriveEntrySize];
    EXPECT_EQ(0, DriveEntryTexts(table, texts));

    table[2] = {3, 1, 4096, 0, 10, 5};
    table[3] = {4, 0, 4096, 0, 15, 7};   // D: switched off
    table[4] = {0, 1, 0, 0, 20, 0};      // the slot names the drive, not the byte
    ASSERT_EQ(2, DriveEntryTexts(table, texts));
    EXPECT_STREQ("C:,10%,5", texts[0]);
    EXPECT_STREQ("E:,20%,0", texts[1]);

    for (int i = 0; i < kDriveSlots; ++i)
        table[i] = {(uint8_t)(i + 1), 1, 0, 0, 255, 255};
    ASSERT_EQ(kDriveSlots, DriveEntryTexts(table, texts));
    EXPECT_STREQ("A:,255%,255", texts[0]);
    EXPECT_STREQ("Z:,255%,255", texts[25]);
}

}  // namespace
