#include <sys/stat.h>

#include "inifile/fileio.h"
#include "testfiles.h"

namespace {

using namespace std::string_literals;

typedef IniTest Reading;

TEST_F(Reading, WritesBackByteForByteWithCRLF)
{
    struct Case {
        std::string in, out;
    } cases[] = {
        {"[A]\r\nx=1\r\n", "[A]\r\nx=1\r\n"},
        {"[A]\nx=1\n\n", "[A]\r\nx=1\r\n\r\n"},                // bare LF
        {"[A\r]\r\r\nx\r=1\r\n", "[A]\r\nx=1\r\n"},           // CR anywhere
        {"[A]\r\nx=1\r\ny=2\0z=3\r\n"s, "[A]\r\nx=1\r\ny=2\r\n"},  // NUL ends it
        {"[A]\r\nlast=1", "[A]\r\nlast=1\r\n"},                // kept without LF
        {std::string(2000, 'x') + "\ny", std::string(1024, 'x') + "\r\ny\r\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        for (uint16_t size : {8192, 1, 3}) {  // block edges fall anywhere
            Put(c.in);
            TINIFile ini(path.c_str());
            ini.BufferSize = size;
            ASSERT_EQ(ini.ReadFile(), IniSuccess);
            ini.Changed = true;
            // Bytes that would come out as they are need no writing.
            EXPECT_EQ(ini.FlushFile(), c.in == c.out ? IniWriteFailed : IniSuccess);
            EXPECT_EQ(Get(), c.out) << c.in;
        }
    }
}

TEST_F(Reading, FindsSectionsByTheirWholeName)
{
    auto ini = Load("top=0\r\n[AB]\r\n[A] ; comment\r\nx=1\r\n [B]\r\n[\r\n[C]\r\n"
                    "[a]\r\n[E]\r\n[Last]\r\n");
    EXPECT_TRUE(ini->FindSection("a"));
    EXPECT_EQ(ini->SectionFirst, 3);
    EXPECT_EQ(ini->SectionLast, 4);  // " [B]" is no header; "[" ends it
    EXPECT_FALSE(ini->FindSection("B"));
    EXPECT_EQ(ini->SectionFirst, -1);
    EXPECT_TRUE(ini->FindSection("c"));  // empty section
    EXPECT_EQ(ini->SectionLast, ini->SectionFirst - 1);
    EXPECT_TRUE(ini->FindSection("last"));  // header on the last line
    EXPECT_EQ(ini->SectionFirst, 10);
    EXPECT_EQ(ini->SectionLast, 9);
}

TEST_F(Reading, ParsesKeyLines)
{
    auto ini = Load("[S]\r\n;x=9\r\nx = 5 ; five\r\n\r\nc:5\r\nurl=a:b\r\ne=\r\n"
                    "f= ;c\r\n\tT ab\t=\t v \t\r\n[T]\r\ne=2\r\n");
    char v[IniValueLength + 1];
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {{"X", "5"}, {"c", "5"}, {"url", "a:b"}, {"t ab", "v"},
                 {"e", nullptr}, {"f", nullptr}, {"T", nullptr}};
    for (const Case& c : cases) {
        EXPECT_EQ(ini->FindKey("S", c.key, v), c.value != nullptr) << c.key;
        if (c.value) {
            EXPECT_STREQ(v, c.value);
        }
    }
    EXPECT_TRUE(ini->SyntaxError);  // the blank line; the search went on
}

TEST_F(Reading, LongLinesNeverMatchAnotherKey)
{
    // Cut at 260 characters this line would read as key "a", value "bbb...".
    std::string tricky = "a:" + std::string(300, 'b') + "=1";
    std::string longKey(280, 'k');
    auto ini = Load("[S]\r\n" + tricky + "\r\n" + longKey + "=" +
                    std::string(300, 'v') + "\r\n");
    char v[IniValueLength + 1];
    EXPECT_FALSE(ini->FindKey("S", "a", v));
    EXPECT_TRUE(ini->FindKey("S", tricky.substr(0, 302).c_str(), v));
    EXPECT_STREQ(v, "1");
    EXPECT_TRUE(ini->FindKey("S", longKey.c_str(), v));
    EXPECT_EQ(std::string(v), std::string(IniValueLength, 'v'));
    EXPECT_EQ(ini->SepColumn, 280);
}

typedef IniTest Writing;

TEST_F(Writing, PlacesNewSectionsAndKeys)
{
    TINIFile fresh((dir + "/none.ini").c_str());
    fresh.WriteMode = 0;
    EXPECT_EQ(fresh.ReadFile(), IniFileMissing);
    fresh.WriteString("Salvora", "Drive", "C:,10%,5");
    EXPECT_EQ(LinesOf(fresh),
              (Lines{"[Salvora]", " Drive" + std::string(15, ' ') + "= C:,10%,5"}));
    EXPECT_EQ(fresh.CurrentLine, 1);

    auto ini = Load("[Other]\r\n");
    ini->WriteString("Salvora", "k", "1");
    ini->WriteString("Other", "new", "2");  // directly under the header
    EXPECT_EQ(LinesOf(*ini), (Lines{"[Other]", " new" + std::string(17, ' ') + "= 2",
                                    "<null>", "[Salvora]",
                                    " k" + std::string(19, ' ') + "= 1"}));
}

TEST_F(Writing, ReplacesAKeyInPlaceKeepingItsColumn)
{
    auto ini = Load("[S]\r\na=0\r\nx    = 1 ; old\r\ne=\r\n");
    EXPECT_FALSE(ini->HasChanged());
    ini->WriteString("S", "X", "2");
    ini->WriteString("S", std::string(25, 'k').c_str(), "3");
    ini->WriteString("S", "e", "4");  // an empty value is not replaced
    ini->IndentKeys = false;
    ini->WriteString("S", "a", "5");
    EXPECT_EQ(LinesOf(*ini), (Lines{"[S]", " e" + std::string(19, ' ') + "= 4",
                                    " " + std::string(25, 'k') + "= 3", "a= 5",
                                    " X   = 2", "e="}));
    EXPECT_TRUE(ini->HasChanged());
}

TEST_F(Writing, KeepsLineBreaksOutOfNamesAndValues)
{
    auto ini = Load("");
    ini->WriteString("S\r\n", "k\n", "v\r\n[Evil]\r\nx=1");
    EXPECT_EQ(LinesOf(*ini), (Lines{"[S]", " k" + std::string(19, ' ') + "= v[Evil]x=1"}));
    ini->WriteLine(0, "a\nb");
    EXPECT_EQ(LinesOf(*ini)[0], "ab");
}

// A name is stored without its line breaks; every search must look for it
// the same way, or each write adds another copy and reads find nothing.
TEST_F(Writing, NamesWithLineBreaksFindWhatWasWrittenForThem)
{
    const Lines written{"[Salvora]", " Drive" + std::string(15, ' ') + "= D:,5%,0",
                        " Other" + std::string(15, ' ') + "= 1"};
    for (const char* section : {"Salvora", "Sal\r\nvora", "\nSalvora\r"}) {
        for (const char* key : {"Drive", "Dri\nve", "Drive\r\n"}) {
            auto ini = Load("");
            ini->WriteString("Salvora", "Other", "1");
            ini->WriteString(section, key, "C:,10%,5");
            ini->WriteString(section, key, "D:,5%,0");
            EXPECT_EQ(LinesOf(*ini), written) << section << "/" << key;

            char value[IniValueLength + 1];
            ini->GetString("\rSalvora", "D\r\nrive", "none", value, 0);
            EXPECT_STREQ(value, "D:,5%,0");
            ini->WriteFirstString(section, key, "E:,1%,1");
            ini->WriteNextString("F:,2%,2");
            ini->WriteClose();
            ini->WriteFirstString(section, key, "E:,1%,1");
            ini->WriteClose();
            EXPECT_EQ(ini->GetFirstString("Salvora\n", "\nDrive", value, 0), IniSuccess);
            EXPECT_STREQ(value, "E:,1%,1");
            EXPECT_EQ(ini->GetNextString("Drive\n", value, 0), IniNoValue);
            ini->ClearKeys(section, key);
            EXPECT_EQ(LinesOf(*ini), (Lines{"[Salvora]", written[2]}));
        }
    }
}

TEST_F(Writing, WriteLinePutsPastTheEndBeforeTheLastLine)
{
    auto ini = Load("");
    ini->WriteLine(5, "first");  // empty list: index 0
    ini->WriteLine(5, "second");
    ini->WriteLine(-3, nullptr);
    EXPECT_EQ(LinesOf(*ini), (Lines{"<null>", "second", "first"}));
    EXPECT_FALSE(ini->HasChanged());
}

typedef IniTest Flushing;

TEST_F(Flushing, ReportsEachOutcome)
{
    auto ini = Load("[A]\r\n x= 1\r\n");
    struct stat before, after;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    EXPECT_EQ(ini->FlushFile(), IniWriteFailed);  // nothing changed
    EXPECT_EQ(ini->LastFlush, IniFlushUnchanged);

    ini->WriteString("A", "x", "2");
    ini->WriteString("A", "x", "1");  // the same bytes once more
    EXPECT_TRUE(ini->HasChanged());
    EXPECT_EQ(ini->FlushFile(), IniWriteFailed);
    EXPECT_EQ(ini->LastFlush, IniFlushUnchanged);
    EXPECT_FALSE(ini->HasChanged());
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);  // not even rewritten alike
    EXPECT_EQ(Get(), "[A]\r\n x= 1\r\n");

    ini->WriteString("A", "x", "2");
    ResetFileFaults();
    FileFaults.BytesLeft = 3;  // the disk fills up
    EXPECT_EQ(ini->FlushFile(), IniWriteFailed);
    ResetFileFaults();
    EXPECT_EQ(ini->LastFlush, IniFlushFailed);
    EXPECT_TRUE(ini->HasChanged());
    EXPECT_EQ(Get(), "[A]\r\n x= 1\r\n");

    EXPECT_EQ(ini->FlushFile(), IniSuccess);
    EXPECT_EQ(ini->LastFlush, IniFlushWritten);
    EXPECT_FALSE(ini->HasChanged());
    EXPECT_EQ(Get(), "[A]\r\n x= 2\r\n");
}

TEST_F(Flushing, MissingFileIsCreated)
{
    std::string name = dir + "/new.ini";
    {
        TINIFile ini(name.c_str());  // saved by its destructor
        EXPECT_EQ(ini.ReadFile(), IniFileMissing);
        ini.WriteBool("S", "On", true);
    }
    path = name;
    EXPECT_EQ(Get(), "[S]\r\n On" + std::string(18, ' ') + "= Yes\r\n");
}

TEST_F(Flushing, NeverWritesAFileThatWasNotReadWhole)
{
    std::string sub = dir + "/sub";
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    TINIFile folder(sub.c_str());
    EXPECT_EQ(folder.ReadFile(), IniOpenFailed);
    folder.WriteString("A", "x", "2");
    EXPECT_EQ(folder.FlushFile(), IniWriteFailed);
    folder.Changed = false;
    rmdir(sub.c_str());

    TINIFile unreadable("/proc/self/mem");  // reading offset 0 fails
    EXPECT_EQ(unreadable.ReadFile(), IniReadFailed);
    unreadable.WriteString("A", "x", "2");
    EXPECT_EQ(unreadable.FlushFile(), IniWriteFailed);
    unreadable.Changed = false;
}

}  // namespace
