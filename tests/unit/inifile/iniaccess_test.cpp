#include <string.h>

#include "testfiles.h"

namespace {

TEST(IntegerText, FollowsTheStoredNumberRules)
{
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"42", 42},       {"  7", 7},      {"+3", 3},          {"-5", -5},
        {"0x10", 0},      {"$10", 16},     {"$1F", 31},        {"$ff", 255},
        {"12abc", 12},    {"-12x", 12},    {"abc", 0},         {"-", 0},
        {"-$5", 0},       {"", 0},         {"$FFFFFFFF", -1},  {"$123456789", 0x12345678},
        {"2147483647", 2147483647},        {"2147483648", INT32_MIN},
        {"-2147483649", 2147483647},       {"99999999999", 999999999},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IniTextToInt(c.text, nullptr), c.value) << c.text;
    int32_t stop = -1;
    IniTextToInt(" 12abc", &stop);
    EXPECT_EQ(stop, 3);
}

typedef IniTest Readers;

TEST_F(Readers, TakeValuesOrKeepDefaults)
{
    auto ini = Load("[S]\r\nEnabled = yes ; comment\r\nNo=Nein\r\nOn=on\r\n"
                    "Size=  42  \r\nHex=$10\r\nEmpty=\r\nLetter=C\r\nTwo=CD\r\n"
                    "Mode=auto\r\nOdd=maybe\r\n");
    bool b = false;
    ini->GetBool("S", "Enabled", false, b);
    EXPECT_TRUE(b);
    ini->GetBool("S", "No", true, b);
    EXPECT_FALSE(b);
    EXPECT_FALSE(ini->SyntaxError);
    ini->GetBool("S", "On", true, b);
    EXPECT_TRUE(b);
    EXPECT_TRUE(ini->SyntaxError);

    int32_t n = 0;
    ini->GetInt("S", "Size", 1, n);
    EXPECT_EQ(n, 42);
    ini->GetInt("S", "Hex", 1, n);
    EXPECT_EQ(n, 16);
    ini->GetInt("S", "Empty", 1, n);
    EXPECT_EQ(n, 1);

    ini->SyntaxError = false;
    char c = 0;
    ini->GetChar("S", "Letter", 'x', c);
    EXPECT_EQ(c, 'C');
    ini->GetChar("S", "Two", 'x', c);
    EXPECT_EQ(c, 'x');
    EXPECT_TRUE(ini->SyntaxError);

    IDTableEntry entries[] = {{0, "Off"}, {1, "On"}, {2, "Auto"}};
    IDTable modes = {2, entries};
    ini->GetIDString("S", "Mode", 9, n, modes);
    EXPECT_EQ(n, 2);
    ini->GetIDString("S", "Odd", 9, n, modes);
    EXPECT_EQ(n, -1);
    ini->GetIDString("T", "Mode", 9, n, modes);
    EXPECT_EQ(n, 9);
}

TEST_F(Readers, GetStringNeverOverrunsTheBuffer)
{
    auto ini = Load("[S]\r\nk=found\r\n");
    char v[IniValueLength + 1];
    ini->GetString("S", "none", nullptr, v, 0);
    EXPECT_STREQ(v, "");
    ini->GetString("S", "none", "x", v, 0);
    EXPECT_STREQ(v, "x");
    std::string longDefault(400, 'd');
    ini->GetString("S", "none", longDefault.c_str(), v, 0);
    EXPECT_EQ(strlen(v), size_t(IniValueLength));
    strcpy(v, "mine");
    ini->GetString("S", "none", v, v, 0);  // the default is the buffer itself
    EXPECT_STREQ(v, "mine");
    ini->GetString("S", "k", v, v, 0);
    EXPECT_STREQ(v, "found");
}

TEST_F(Readers, AutoValuesAreTriState)
{
    auto ini = Load("[S]\r\na=AUTO\r\ny=ja\r\nn=0\r\nbad=maybe\r\n");
    int32_t v = -1;
    ini->GetAutoYesNo("S", "a", AutoStateNo, v);
    EXPECT_EQ(v, AutoStateAuto);
    ini->GetAutoYesNo("S", "y", AutoStateNo, v);
    EXPECT_EQ(v, AutoStateYes);
    ini->GetAutoNo("S", "n", AutoStateAuto, v);
    EXPECT_EQ(v, AutoStateNo);
    EXPECT_FALSE(ini->SyntaxError);
    ini->GetAutoNo("S", "y", AutoStateAuto, v);  // AutoNo knows no "yes"
    EXPECT_EQ(v, AutoStateAuto);
    EXPECT_TRUE(ini->SyntaxError);
    ini->GetAutoYesNo("S", "bad", AutoStateYes, v);
    EXPECT_EQ(v, AutoStateYes);
}

typedef IniTest Writers;

TEST_F(Writers, WriteTypedValues)
{
    auto ini = Load("[S]\r\nEnabled      = No\r\n");
    ini->WriteBool("S", "Enabled", true);
    ini->WriteInt("S", "Min", INT32_MIN);
    ini->WriteChar("S", "C", 'z');
    ini->WriteAutoYesNo("S", "A", AutoStateAuto);
    ini->WriteAutoNo("S", "B", AutoStateNo);
    EXPECT_EQ(LinesOf(*ini), (Lines{"[S]", " B" + std::string(19, ' ') + "= No",
                                    " A" + std::string(19, ' ') + "= Auto",
                                    " C" + std::string(19, ' ') + "= z",
                                    " Min" + std::string(17, ' ') + "= -2147483648",
                                    " Enabled     = Yes"}));

    auto other = Load("[S]\r\n");
    other->WriteIDString("S", "k", 7, BoolWords);
    other->WriteAutoNo("S", "k", AutoStateYes);
    other->WriteAutoYesNo("S", "k", 5);
    EXPECT_FALSE(other->HasChanged());
    other->WriteIDString("S", "k", 1, BoolWords);  // five words mean 1
    EXPECT_EQ(LinesOf(*other), (Lines{"[S]", " k" + std::string(19, ' ') + "= True"}));
}

TEST_F(Writers, RepeatedKeyListIsWrittenAndReadBack)
{
    auto ini = Load("[Salvora]\r\nDrive=A\r\n\r\nOther=1\r\nDrive=\r\n");
    ini->WriteMode = FlushOnWrite;
    ini->WriteFirstString("Salvora", "Drive", "C:,10%,5");
    ini->WriteNextString("D:,20%,0");
    std::string pad(15, ' ');
    EXPECT_EQ(LinesOf(*ini), (Lines{"[Salvora]", " Drive" + pad + "= C:,10%,5",
                                    " Drive" + pad + "= D:,20%,0", "", "Other=1",
                                    "Drive="}));
    EXPECT_EQ(Get(), "[Salvora]\r\nDrive=A\r\n\r\nOther=1\r\nDrive=\r\n");
    ini->WriteClose();  // only now written back
    EXPECT_FALSE(ini->HasChanged());

    char v[IniValueLength + 1];
    EXPECT_EQ(ini->GetFirstString("Salvora", "drive", v, 0), IniSuccess);
    EXPECT_STREQ(v, "C:,10%,5");
    EXPECT_EQ(ini->GetNextString("Drive", v, 0), IniSuccess);
    EXPECT_STREQ(v, "D:,20%,0");
    EXPECT_EQ(ini->GetNextString("Drive", v, 0), IniNoValue);

    ini->WriteNextString("E:");  // no list open
    EXPECT_FALSE(ini->HasChanged());
}

TEST_F(Writers, ListWalkRepeatsTheFirstValueForEachLineBeforeIt)
{
    auto ini = Load("[S]\r\nOther=1\r\nItem=a\r\nItem=b\r\n");
    char v[IniValueLength + 1];
    std::vector<std::string> seen;
    for (int32_t r = ini->GetFirstString("S", "Item", v, 0); r == IniSuccess;
         r = ini->GetNextString("Item", v, 0))
        seen.push_back(v);
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "a", "b"}));
    EXPECT_EQ(ini->GetFirstString("S", "None", v, 0), IniNoValue);
}

TEST_F(Writers, AReloadInsideAListIsNoFatalError)
{
    auto ini = Load("[S]\r\nk=1\r\nk=2\r\n");
    ini->WriteFirstString("S", "k", "a");
    Put("[S]\r\n");
    ini->ReadFile();
    char v[IniValueLength + 1];
    EXPECT_EQ(ini->GetNextString("k", v, 0), IniNoValue);
    ini->WriteNextString("b");
    EXPECT_EQ(LinesOf(*ini), (Lines{"[S]", " k" + std::string(19, ' ') + "= b"}));
}

TEST_F(Writers, ClearKeysRemovesOnlyFoundLines)
{
    auto ini = Load("[S]\r\nk=1\r\nx=2\r\nK=3\r\nk=\r\n[T]\r\nk=4\r\n");
    ini->ClearKeys("S", "none");
    ini->ClearKeys("None", "k");
    EXPECT_FALSE(ini->HasChanged());
    ini->ClearKeys("S", "k");
    EXPECT_EQ(LinesOf(*ini), (Lines{"[S]", "x=2", "k=", "[T]", "k=4"}));
    EXPECT_TRUE(ini->HasChanged());
}

// The typed writers and the list writer go through the virtual slots.
struct Recorder : TINIFile {
    std::vector<std::string> calls;
    explicit Recorder(const char* name) : TINIFile(name) {}
    void WriteString(const char*, const char* key, const char* value) override
    {
        calls.push_back(std::string(key) + "=" + value);
    }
    void ClearKeys(const char*, const char* key) override
    {
        calls.push_back(std::string("clear ") + key);
    }
};

TEST_F(Writers, TypedWritersUseTheVirtualSlots)
{
    Recorder r(path.c_str());
    r.WriteInt("S", "i", 12);
    r.WriteBool("S", "b", false);
    r.WriteFirstString("S", "l", "v");
    EXPECT_EQ(r.calls, (std::vector<std::string>{"i=12", "b=No", "clear l", "l=v"}));
}

}  // namespace
