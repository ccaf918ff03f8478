#include <sys/stat.h>

#include "inifile/fileio.h"
#include "testfiles.h"

namespace {

using namespace std::string_literals;

typedef IniTest Reading;

// The searches see what the reader's rules make of a line; the write-back
// gives every line that no edit reached back as it stands on disk.
TEST_F(Reading, KeepsEveryByteItDoesNotOwn)
{
    const std::string kLong = "; " + std::string(1998, 'c');
    const std::string kMark = "\xEF\xBB\xBF";  // UTF-8's byte-order mark
    const std::string kUtf16 = "\xFF\xFE[\0S\0]\0\r\0\n\0"s;
    const std::string kDrive = " Drive" + std::string(15, ' ') + "= D:,20%,0\r\n";
    struct Case {
        const char* what;
        std::string in;
        Lines lines;      // as the searches see them
        std::string out;  // after the drive page's edit; "" when it may not write
    } cases[] = {
        {"CR LF", "[A]\r\nx=1\r\n", {"[A]", "x=1"},
         "[A]\r\nx=1\r\n\r\n[Salvora]\r\n" + kDrive},
        {"bare LF", "[A]\nx=1\n\n", {"[A]", "x=1", ""},
         "[A]\nx=1\n\n\r\n[Salvora]\r\n" + kDrive},
        {"lone CRs", "[A\r]\r\r\nmac1=1\rmac2=2\r\n", {"[A]", "mac1=1mac2=2"},
         "[A\r]\r\r\nmac1=1\rmac2=2\r\n\r\n[Salvora]\r\n" + kDrive},
        {"a NUL", "[A]\r\nx=1\r\ny=2\0[Salvora]\r\nz=3\r\n"s, {"[A]", "x=1", "y=2"},
         "[A]\r\nx=1\r\ny=2\r\n\r\n[Salvora]\r\n" + kDrive + "\0[Salvora]\r\nz=3\r\n"s},
        {"no last LF", "[Salvora]\r\nlast=1", {"[Salvora]", "last=1"},
         "[Salvora]\r\n" + kDrive + "last=1"},
        {"a long line", kLong + "\n[Salvora]\n", {kLong.substr(0, 1024), "[Salvora]"},
         kLong + "\n[Salvora]\n" + kDrive},
        {"UTF-8 mark", kMark + "[Salvora]\r\n Drive=C:,5%,5\r\n", {"[Salvora]", " Drive=C:,5%,5"},
         kMark + "[Salvora]\r\n" + kDrive},
        {"UTF-16", kUtf16, {"\xFF\xFE["}, ""},
        {"empty", "", {}, "[Salvora]\r\n" + kDrive},
    };
    for (const Case& c : cases) {
        for (uint16_t size : {8192, 1, 3}) {  // block edges fall anywhere
            SCOPED_TRACE(::testing::Message() << c.what << ", blocks of " << size);
            Put(c.in);
            TINIFile ini(path.c_str());
            ini.WriteMode = 0;
            ini.BufferSize = size;
            ASSERT_EQ(ini.ReadFile(), IniSuccess);
            EXPECT_EQ(LinesOf(ini), c.lines);
            ini.Changed = true;
            EXPECT_EQ(ini.FlushFile(), IniWriteFailed);
            EXPECT_EQ(ini.LastFlush, IniFlushUnchanged);
            EXPECT_EQ(Get(), c.in);

            ini.WriteFirstString("Salvora", "Drive", "D:,20%,0");
            ini.WriteClose();
            EXPECT_EQ(ini.FlushFile(), c.out.empty() ? IniWriteFailed : IniSuccess);
            EXPECT_EQ(ini.LastFlush, c.out.empty() ? IniFlushFailed : IniFlushWritten);
            EXPECT_EQ(Get(), c.out.empty() ? c.in : c.out);
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

TEST_F(Writing, KeepsLineBreaksOutOfValues)
{
    auto ini = Load("");
    ini->WriteString("S", "k", "v\r\n[Evil]\r\nx=1");
    EXPECT_EQ(LinesOf(*ini), (Lines{"[S]", " k" + std::string(19, ' ') + "= v[Evil]x=1"}));
    ini->WriteLine(0, "a\nb");
    EXPECT_EQ(LinesOf(*ini)[0], "ab");
}

// A name that would read back as another, or as nothing, is refused by
// every writer: nothing changes, and the status and Error say why.
struct ErrorLog : TINIFile {
    std::vector<int32_t> codes;
    explicit ErrorLog(const char* name) : TINIFile(name) { WriteMode = 0; }
    void Error(int32_t code) override { codes.push_back(code); }
};

TEST_F(Writing, RefusesNamesThatWouldNotReadBack)
{
    const struct Case {
        const char* section;
        const char* key;
    } refused[] = {
        {"S", "a=b"}, {"S", "a:b"}, {"S", " k "}, {"S", "k\t"}, {"S", ";k"}, {"S", "[k"},
        {"S", "k\r"}, {"S", "\nk"}, {"S]", "k"}, {"S\r\n", "k"}, {"S\n[T]", "k"},
    };
    const std::string file = "[S]\r\na=1\r\n k = 2\r\nk=3\r\n[T]\r\n";
    for (const Case& c : refused) {
        SCOPED_TRACE(::testing::Message() << "[" << c.section << "] \"" << c.key << "\"");
        Put(file);
        ErrorLog ini(path.c_str());
        ASSERT_EQ(ini.ReadFile(), IniSuccess);
        const Lines before = LinesOf(ini);
        ini.WriteString(c.section, c.key, "x");
        ini.WriteBool(c.section, c.key, true);
        ini.ClearKeys(c.section, c.key);
        ini.WriteFirstString(c.section, c.key, "x");
        ini.WriteNextString("y");
        ini.WriteClose();
        EXPECT_EQ(ini.Status, IniNameRefused);
        EXPECT_EQ(ini.codes, std::vector<int32_t>(4, IniNameRefused));
        EXPECT_EQ(LinesOf(ini), before);
        EXPECT_FALSE(ini.HasChanged());
        char value[IniValueLength + 1];
        ini.GetString("S", "a", "", value, 0);
        EXPECT_STREQ(value, "1");
        ini.GetString("S", "k", "", value, 0);
        EXPECT_STREQ(value, "2");
    }
    // Names that hold are written and read back, however odd.
    auto ini = Load(file);
    for (const char* key : {"k;x", "k]", "", "k k"}) {
        for (const char* section : {"S", " S ", ";S", "[S", "S=1"}) {
            ini->WriteString(section, key, "v");
            char value[IniValueLength + 1];
            ini->GetString(section, key, "", value, 0);
            EXPECT_STREQ(value, "v") << "[" << section << "] \"" << key << "\"";
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
