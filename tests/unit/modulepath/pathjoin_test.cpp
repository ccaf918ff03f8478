// Paths joined into fixed buffers: whole or not at all, and never a byte
// past the buffer (the buffers here are exactly as large as the call is
// told, so AddressSanitizer sees any overrun).
#include <gtest/gtest.h>

#include <random>
#include <string.h>
#include <strings.h>
#include <string>
#include <vector>

#include "modulepath/listedname.h"
#include "modulepath/pathjoin.h"

namespace {

std::string Letters(std::mt19937& random, size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += "abc .XYZ~1"[random() % 10];
    return text;
}

TEST(JoinPath, WholeOrNothingAroundEveryBound)
{
    std::mt19937 random(20240601);
    for (int round = 0; round < 20000; ++round) {
        size_t size = 1 + random() % 300;
        std::string dir = Letters(random, random() % 300);
        if (random() % 4 == 0)
            dir += '\\';
        std::string name = Letters(random, random() % 300);
        std::string whole = dir + (!dir.empty() && dir.back() == '\\' ? "" : "\\") + name;

        std::vector<char> out(size, '#');
        bool joined = JoinPath(out.data(), size, dir.c_str(), name.c_str());
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(whole.size() < size, joined);
        EXPECT_EQ(joined ? whole : "", std::string(out.data()));
    }
}

TEST(JoinPath, ThePathBufferOfTheProduct)
{
    char out[261];
    std::string dir = "D:\\" + std::string(252, 'd');   // 255 characters
    EXPECT_TRUE(JoinPath(out, sizeof out, dir.c_str(), "*.*"));
    EXPECT_EQ(dir + "\\*.*", out);                      // 259
    EXPECT_TRUE(JoinPath(out, sizeof out, (dir + "x").c_str(), "*.*"));   // 260
    EXPECT_FALSE(JoinPath(out, sizeof out, (dir + "xy").c_str(), "*.*"));
    EXPECT_STREQ("", out);
    // A root keeps its one backslash.
    EXPECT_TRUE(JoinPath(out, sizeof out, "D:\\", "*.*"));
    EXPECT_STREQ("D:\\*.*", out);
    EXPECT_FALSE(JoinPath(out, 0, "D:", "x"));
}

TEST(PutEntryName, TheLongNameTheShortOneOrNone)
{
    const std::string dir = "D:\\" + std::string(240, 'f') + "\\";   // 244 characters
    const std::string fitting(16, 'n');                               // 260 in all
    const struct {
        std::string longName;
        std::string shortName;
        bool put;
        std::string name;
    } cases[] = {
        {fitting, "", true, fitting},
        {fitting + "n", "NNNNNN~1", true, "NNNNNN~1"},
        {fitting + "n", "", false, ""},
        {std::string(255, 'x'), std::string(17, 'S'), false, ""},
        {"", "", false, ""},
        {"q?.txt", "Q_~1.TXT", true, "Q_~1.TXT"},
        {"dot.", "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.longName + " / " + c.shortName);
        std::vector<char> path(261, '#');
        std::copy(dir.begin(), dir.end(), path.begin());
        // What an earlier entry left behind must not survive a refusal.
        std::string earlier = dir + "earlier";
        std::copy(earlier.begin(), earlier.end() + 1, path.begin());
        EXPECT_EQ(c.put, PutEntryName(path.data(), path.size(), dir.size(), c.longName.c_str(),
                                      c.shortName.c_str()));
        EXPECT_EQ(dir + c.name, std::string(path.data()));
    }
}

TEST(PutEntryName, OnlyAPlainNameNamesItsEntryAndNoOther)
{
    struct Case {
        const char* name;
        bool plain;
    } cases[] = {
        {"deleted.txt", true}, {"Report 1999.doc", true}, {".hidden", true}, {" lead", true},
        {"caf\xe9.txt", true}, {"a.b.c", true},
        {"", false}, {".", false}, {"..", false}, {"dot.", false}, {"blank ", false},
        {"q?.txt", false}, {"a*b", false}, {"lt<gt", false}, {"qu\"ote", false}, {"pi|pe", false},
        {"co:lon", false}, {"back\\slash", false}, {"sl/ash", false}, {"ctl\x01x", false}, {"tab\t", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.plain, IsPlainEntryName(c.name)) << c.name;
}

// The system's comparison as far as these names need it: ASCII letters.
bool SameName(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0;
}

TEST(ListedNameTally, ANameMeansTheOneEntryListedUnderIt)
{
    // Listings of long and short names, and the last entry listed under the
    // name: for a unique name, the one it means.
    const struct {
        std::vector<std::pair<const char*, const char*>> listing;
        const char* name;
        ListedName result;
        int last;
    } cases[] = {
        {{{"??.txt", "_~1.TXT"}, {"b.txt", ""}, {"??.txt", "_~2.TXT"}}, "??.txt", ListedName::Ambiguous, 2},
        {{{"Report.doc", ""}, {"REPORT.DOC", ""}}, "report.doc", ListedName::Ambiguous, 1},
        {{{"long name.txt", "LONGNA~1.TXT"}, {"longna~1.txt", ""}}, "LONGNA~1.TXT", ListedName::Ambiguous, 1},
        {{{"x", ""}, {"long name.txt", "LONGNA~1.TXT"}}, "longna~1.txt", ListedName::Unique, 1},
        {{{"x", ""}, {"x.", "X~1"}, {"y", ""}}, "x.", ListedName::Unique, 1},
        {{{"a", ""}, {"ab", "AB~1"}}, "b", ListedName::Missing, -1},
    };
    for (const auto& c : cases) {
        ListedNameTally tally(c.name, SameName);
        int last = -1;
        for (size_t i = 0; i < c.listing.size(); ++i)
            if (tally.Add(c.listing[i].first, c.listing[i].second))
                last = (int)i;
        EXPECT_EQ(c.result, tally.Result()) << c.name;
        EXPECT_EQ(c.last, last) << c.name;
    }
}

TEST(CanonicalPath, OneSpellingThatKeepsEveryName)
{
    const struct {
        const char* path;
        const char* canonical;   // null: refused
    } cases[] = {
        {"D:\\t1\\x", "D:\\t1\\x"},
        // Every spelling of a drive root.
        {"E:", "E:\\"}, {"E:\\", "E:\\"}, {"E:\\.", "E:\\"}, {"E:\\keepme\\..", "E:\\"},
        {"E:\\..", "E:\\"}, {"E:\\a\\..\\..\\.", "E:\\"}, {"E:/", "E:\\"}, {"E:\\\\", "E:\\"},
        // Separators folded, dots worked out, nothing at the end.
        {"D:\\\\a//b\\", "D:\\a\\b"}, {"D:/a/./b/../c", "D:\\a\\c"}, {"D:\\a\\b\\..\\..\\c", "D:\\c"},
        {"D:\\..\\..\\a", "D:\\a"},
        // A trailing dot or blank, or more dots, are part of a name.
        {"D:\\t1\\x.", "D:\\t1\\x."}, {"D:\\t1\\f ", "D:\\t1\\f "}, {"D:\\x.\\y", "D:\\x.\\y"},
        {"D:\\...", "D:\\..."}, {"D:\\a\\. \\b", "D:\\a\\. \\b"}, {"D:\\.x\\..y", "D:\\.x\\..y"},
        // Lower case and odd letters are kept: whose drive it is, is decided
        // elsewhere.
        {"d:\\A.TXT", "d:\\A.TXT"}, {"@:\\x", "@:\\x"},
        // No drive, or relative to a drive's current folder.
        {"\\\\SERVER\\SHARE\\A.TXT", nullptr}, {"\\x", nullptr}, {"x", nullptr}, {"", nullptr},
        {"E:x", nullptr}, {"E:.", nullptr},
    };
    for (const auto& c : cases) {
        char out[261];
        memset(out, '#', sizeof out);
        EXPECT_EQ(c.canonical != nullptr, CanonicalPath(c.path, out, sizeof out)) << c.path;
        EXPECT_STREQ(c.canonical ? c.canonical : "", out) << c.path;
    }
}

TEST(CanonicalPath, WholeOrNothingInTheBuffer)
{
    const std::string name(255, 'n');
    char out[261];
    // 258 characters, and 260 with a name that ".." then takes away.
    EXPECT_TRUE(CanonicalPath(("D:\\" + name).c_str(), out, sizeof out));
    EXPECT_TRUE(CanonicalPath(("D:\\" + name + "\\\\.\\").c_str(), out, sizeof out));
    EXPECT_EQ("D:\\" + name, std::string(out));
    EXPECT_TRUE(CanonicalPath(("D:\\" + name + "xx").c_str(), out, sizeof out));   // 260
    EXPECT_FALSE(CanonicalPath(("D:\\" + name + "xxx").c_str(), out, sizeof out));
    EXPECT_STREQ("", out);
    EXPECT_FALSE(CanonicalPath(("D:\\" + name + "\\ab").c_str(), out, sizeof out));
    for (size_t size = 0; size < 4; ++size) {
        std::vector<char> small(size + 1, '#');
        EXPECT_FALSE(CanonicalPath("E:\\", small.data(), size));
        EXPECT_EQ('#', small[size]);
    }
    std::vector<char> exact(4);
    EXPECT_TRUE(CanonicalPath("E:\\.", exact.data(), exact.size()));
}

}  // namespace
