// Paths joined into fixed buffers: whole or not at all, and never a byte
// past the buffer (the buffers here are exactly as large as the call is
// told, so AddressSanitizer sees any overrun).
#include <gtest/gtest.h>

#include <random>
#include <string.h>
#include <strings.h>
#include <string>
#include <vector>

#include "paths/listedname.h"
#include "paths/pathjoin.h"
#include "tests/codepage932.h"

namespace {

// The tables of plain names run under both rules: names of single-byte
// characters read alike on every code page.
const LeadBytes kRules[] = {LeadBytes(), CodePage932()};

std::string RuleName(const LeadBytes& lead)
{
    return lead.Any() ? "code page 932" : "single-byte";
}

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
    for (const LeadBytes& lead : kRules) {
        for (const auto& c : cases) {
            SCOPED_TRACE(RuleName(lead) + ": " + c.longName + " / " + c.shortName);
            std::vector<char> path(261, '#');
            std::copy(dir.begin(), dir.end(), path.begin());
            // What an earlier entry left behind must not survive a refusal.
            std::string earlier = dir + "earlier";
            std::copy(earlier.begin(), earlier.end() + 1, path.begin());
            EXPECT_EQ(c.put, PutEntryName(path.data(), path.size(), dir.size(), c.longName.c_str(),
                                          c.shortName.c_str(), lead));
            EXPECT_EQ(dir + c.name, std::string(path.data()));
        }
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
    for (const LeadBytes& lead : kRules)
        for (const Case& c : cases)
            EXPECT_EQ(c.plain, IsPlainEntryName(c.name, lead)) << RuleName(lead) << ": " << c.name;
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
    for (const LeadBytes& lead : kRules) {
        for (const auto& c : cases) {
            char out[261];
            memset(out, '#', sizeof out);
            SCOPED_TRACE(RuleName(lead) + ": " + c.path);
            EXPECT_EQ(c.canonical != nullptr, CanonicalPath(c.path, out, sizeof out, lead));
            EXPECT_STREQ(c.canonical ? c.canonical : "", out);
        }
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

// --- double-byte characters (code page 932) ------------------------------

TEST(DoubleByteNames, SecondBytesAreNoSeparatorsDotsOrBlanks)
{
    const LeadBytes cp932 = CodePage932();
    // The same bytes read on a single-byte code page, where nothing changes.
    const struct {
        const char* name;
        bool plain932, plainSingleByte;
    } names[] = {
        {SJIS_HYO, true, false}, {SJIS_SO ".txt", true, false}, {"a" SJIS_PIPE "b", true, false},
        {"x" SJIS_DOT, true, true}, {"x" SJIS_BLANK, true, true}, {"x\xa1", true, true},
        {SJIS_HYO SJIS_HYO, true, false},
        // A lead byte with nothing after it would take the next backslash.
        {"\x95", false, true}, {"ab\x95", false, true},
        // Real separators, dots and blanks after a double-byte character.
        {SJIS_HYO "\\x", false, false}, {SJIS_HYO ".", false, false}, {SJIS_HYO " ", false, false},
        {SJIS_HYO "|", false, false}, {SJIS_HYO ":s", false, false},
    };
    for (const auto& c : names) {
        EXPECT_EQ(c.plain932, IsPlainEntryName(c.name, cp932)) << c.name;
        EXPECT_EQ(c.plainSingleByte, IsPlainEntryName(c.name, LeadBytes())) << c.name;
    }

    // The long name is taken where it is plain on the code page.
    char path[261] = "D:\\t\\";
    EXPECT_TRUE(PutEntryName(path, sizeof path, 5, SJIS_HYO, "_~1", cp932));
    EXPECT_STREQ("D:\\t\\" SJIS_HYO, path);
    EXPECT_TRUE(PutEntryName(path, sizeof path, 5, SJIS_HYO, "_~1", LeadBytes()));
    EXPECT_STREQ("D:\\t\\_~1", path);
}

TEST(DoubleByteNames, CanonicalPathsKeepWholeCharacters)
{
    const LeadBytes cp932 = CodePage932();
    const struct {
        const char* path;
        const char* canonical;   // null: refused
    } cases[] = {
        {"D:\\fd\\" SJIS_HYO, "D:\\fd\\" SJIS_HYO}, {"D:\\fd\\" SJIS_HYO "\\", "D:\\fd\\" SJIS_HYO},
        {"D:\\" SJIS_SO "/" SJIS_PIPE "\\\\x", "D:\\" SJIS_SO "\\" SJIS_PIPE "\\x"},
        {"D:\\" SJIS_HYO "\\..\\x", "D:\\x"}, {"D:\\a\\" SJIS_HYO "\\..", "D:\\a"},
        {"D:\\a\\" SJIS_HYO SJIS_SO "\\.\\..\\b", "D:\\a\\b"},
        {"D:\\a\\b" SJIS_HYO "\\c\\..", "D:\\a\\b" SJIS_HYO},
        // Look-alikes of dots and blanks are names.
        {"D:\\x" SJIS_DOT, "D:\\x" SJIS_DOT}, {"D:\\" SJIS_DOT SJIS_DOT "\\y", "D:\\" SJIS_DOT SJIS_DOT "\\y"},
        {"D:\\" SJIS_BLANK "\\..", "D:\\"},
        // A lead byte makes one character with the separator after it, as
        // Windows reads it; one at the end is kept as it came.
        {"D:\\a\\\x95/b", "D:\\a\\\x95/b"}, {"D:\\a\\\x95", "D:\\a\\\x95"},
        // A lead byte is no drive letter.
        {"\x95:\\x", nullptr},
    };
    for (const auto& c : cases) {
        char out[261];
        memset(out, '#', sizeof out);
        EXPECT_EQ(c.canonical != nullptr, CanonicalPath(c.path, out, sizeof out, cp932)) << c.path;
        EXPECT_STREQ(c.canonical ? c.canonical : "", out) << c.path;
    }
    // Byte for byte, the second byte of the first case was a separator.
    char out[261];
    EXPECT_TRUE(CanonicalPath("D:\\fd\\" SJIS_HYO, out, sizeof out, LeadBytes()));
    EXPECT_STREQ("D:\\fd\\\x95", out);
}

TEST(DoubleByteNames, JoinedAfterTheLastWholeCharacter)
{
    const LeadBytes cp932 = CodePage932();
    const struct {
        std::string dir;
        std::string joined;
    } cases[] = {
        {"D:\\" SJIS_HYO, "D:\\" SJIS_HYO "\\*.*"},
        {"D:\\" SJIS_HYO "\\", "D:\\" SJIS_HYO "\\*.*"},
        // Lead bytes pair up from the last byte that is none: 0x95 0x95 is
        // one character, and the backslash after it ends the folder.
        {"D:\\\x95\x95\\", "D:\\\x95\x95\\*.*"},
        {"D:\\\x95\x95" SJIS_HYO, "D:\\\x95\x95" SJIS_HYO "\\*.*"},
        {SJIS_HYO, SJIS_HYO "\\*.*"},
    };
    for (const auto& c : cases) {
        char out[261];
        EXPECT_TRUE(JoinPath(out, sizeof out, c.dir.c_str(), "*.*", cp932)) << c.dir;
        EXPECT_EQ(c.joined, out);
    }
    char out[261];
    EXPECT_TRUE(JoinPath(out, sizeof out, "D:\\" SJIS_HYO, "*.*", LeadBytes()));
    EXPECT_STREQ("D:\\" SJIS_HYO "*.*", out);

    // The separator counts toward the bound: 256 + 1 + 3 bytes fit, 257 do not.
    std::string dir = "D:\\" + std::string(251, 'd') + SJIS_HYO;
    EXPECT_TRUE(JoinPath(out, sizeof out, dir.c_str(), "*.*", cp932));
    EXPECT_EQ(dir + "\\*.*", out);
    dir = "D:\\" + std::string(252, 'd') + SJIS_HYO;
    EXPECT_FALSE(JoinPath(out, sizeof out, dir.c_str(), "*.*", cp932));
    EXPECT_STREQ("", out);
}

TEST(DoubleByteNames, FoldersBackslashesAndTwins)
{
    const LeadBytes cp932 = CodePage932();
    const LeadBytes single;
    EXPECT_EQ(7u, FolderPartLength("C:\\dir\\" SJIS_HYO ".dll", cp932));
    EXPECT_EQ(9u, FolderPartLength("C:\\dir\\" SJIS_HYO ".dll", single));
    EXPECT_EQ(6u, FolderPartLength("C:\\" SJIS_HYO "\\slvrsext.dll", cp932));
    EXPECT_EQ(0u, FolderPartLength(SJIS_SO SJIS_HYO, cp932));
    const char* path = SJIS_HYO SJIS_SO "\\x";
    EXPECT_EQ(path + 4, FindBackslash(path, cp932));
    EXPECT_EQ(path + 1, FindBackslash(path, single));
    EXPECT_EQ(nullptr, FindBackslash(SJIS_HYO, cp932));

    // Twins differ only in the case of single-byte letters; 0x83 0x41 and
    // 0x83 0x61 are two katakana, not one in two cases.
    const struct {
        const char* a;
        const char* b;
        bool same932;
    } twins[] = {
        {"\x83\x41", "\x83\x61", false}, {"Ab" SJIS_HYO, "aB" SJIS_HYO, true}, {SJIS_HYO, SJIS_SO, false},
        {"\x82\x60", "\x82\x81", false},   // full-width A and a
        {SJIS_HYO, SJIS_HYO "x", false}, {"\x95", "\x95", true}, {"x\x95", "\x95x", false},
    };
    for (const auto& t : twins) {
        EXPECT_EQ(t.same932, SameDoubleByteCharacters(t.a, t.b, cp932)) << t.a << " / " << t.b;
        EXPECT_TRUE(SameDoubleByteCharacters(t.a, t.b, single));
    }
}

}  // namespace
