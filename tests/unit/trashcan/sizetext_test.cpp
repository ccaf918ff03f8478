#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "trashcan/sizetext.h"

namespace {

std::string Size(long kb, unsigned char decimals = 2)
{
    char text[34];
    FormatSize(kb, text, sizeof text, decimals);
    return text;
}

std::string TraySize(long kb)
{
    char text[34];
    FormatTraySize(kb, text, sizeof text);
    return text;
}

std::string Fixed(double v, int decimals)
{
    char text[32];
    FormatFixed(v, decimals, text, sizeof text);
    return text;
}

TEST(SizeText, KByteMByteAndGByteBoundaries)
{
    EXPECT_EQ("????", Size(-1));
    EXPECT_EQ("4294967294 KByte", Size(-2));
    EXPECT_EQ("0 KByte", Size(0));
    EXPECT_EQ("1024 KByte", Size(1024));
    EXPECT_EQ("2.00 MByte", Size(1025));
    EXPECT_EQ("2.50 MByte", Size(1536));
    EXPECT_EQ("1025.00 MByte", Size(1048576));
    EXPECT_EQ("1.00 GByte", Size(1048577));
    EXPECT_EQ("3.00 GByte", Size(3145728));
    EXPECT_EQ("2.0 MByte", Size(1025, 1));
    EXPECT_EQ(" 2 MByte", Size(1025, 0));
}

TEST(SizeText, TrayKeepsMByteForEverySizeAboveOneMByte)
{
    EXPECT_EQ("1024 KByte", TraySize(1024));
    EXPECT_EQ("2.00 MByte", TraySize(1025));
    EXPECT_EQ("3.00 MByte", TraySize(2048));
    EXPECT_EQ("1025.00 MByte", TraySize(1048576));
    EXPECT_EQ("2049.00 MByte", TraySize(2097152));
}

TEST(SizeText, FixedPointRoundsHalfUpAndPadsToTwo)
{
    EXPECT_EQ("2.13", Fixed(2.125, 2));     // printf would say 2.12
    EXPECT_EQ("1.00", Fixed(0.999, 2));
    EXPECT_EQ(" 3", Fixed(2.5, 0));
    EXPECT_EQ("10", Fixed(9.5, 0));
    EXPECT_EQ("1.000", Fixed(0.9995, 3));
}

TEST(SizeText, KBytesRoundUpAndNeverTurnNegative)
{
    EXPECT_EQ(0, KBytesFromBytes(0));
    EXPECT_EQ(1, KBytesFromBytes(1));
    EXPECT_EQ(1, KBytesFromBytes(1024));
    EXPECT_EQ(2, KBytesFromBytes(1025));
    EXPECT_EQ(2097152, KBytesFromBytes(2147483648ull));   // 2 GByte: the old cells went negative
    EXPECT_EQ(0x7FFFFFFFL, KBytesFromBytes(~0ull));
}

TEST(SizeText, PercentOfTheRemoval)
{
    EXPECT_EQ(100, RemovalPercent(7, 7));
    EXPECT_EQ(14, RemovalPercent(1, 7));
    EXPECT_EQ(43, RemovalPercent(3, 7));
    EXPECT_EQ(0, RemovalPercent(3, 0));
    EXPECT_EQ(100, RemovalPercent(70000, 70000));
    EXPECT_EQ(50, RemovalPercent(35000, 70000));
}

TEST(SizeText, IndexFileInAnyLetterCase)
{
    EXPECT_TRUE(IsIndexFileName("salvora.inf"));
    EXPECT_TRUE(IsIndexFileName("SALVORA.INF"));
    EXPECT_TRUE(IsIndexFileName("Salvora.Inf"));
    EXPECT_FALSE(IsIndexFileName("salvora.inf2"));
    EXPECT_FALSE(IsIndexFileName("salvora.in"));
    EXPECT_FALSE(IsIndexFileName("xsalvora.inf"));
    EXPECT_FALSE(IsIndexFileName(""));
}

}  // namespace

namespace {

// The texts are put together by hand; a short buffer gets the front of the
// text, terminated, and nothing past its end.
TEST(SizeText, ShortBuffersGetTheFrontOfTheText)
{
    for (long kb : {-1L, -2L, 7L, 1025L, 3145728L}) {
        const std::string whole = Size(kb);
        const std::string tray = TraySize(kb);
        for (size_t size = 0; size <= whole.size() + 1; size++) {
            char text[40];
            memset(text, '#', sizeof text);
            FormatSize(kb, text, size, 2);
            if (size > 0) {
                EXPECT_EQ(std::string(text), whole.substr(0, size - 1)) << kb << " in " << size;
            }
            EXPECT_EQ(text[size], '#') << kb << " in " << size;
            memset(text, '#', sizeof text);
            FormatTraySize(kb, text, size);
            if (size > 0) {
                EXPECT_EQ(std::string(text), tray.substr(0, size - 1)) << kb << " in " << size;
            }
            EXPECT_EQ(text[size], '#') << kb << " in " << size;
        }
    }
}

}  // namespace
