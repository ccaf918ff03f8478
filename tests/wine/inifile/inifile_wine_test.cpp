// The INI store's write-back through the real Win32 file calls: a file that
// Windows will not let us replace is left exactly as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "inifile/inifile.h"
#include "support/files.h"

namespace {

const std::string kOld = "; by hand\r\n[Other]\r\nkeep=1\r\n\r\n[Salvora]\r\n Drive = C:,10%,5\r\n";
const std::string kNew =
    "; by hand\r\n[Other]\r\nkeep=1\r\n\r\n[Salvora]\r\n Drive               = D:,20%,0\r\n";

class IniOnWindows : public ::testing::Test {
protected:
    std::string dir, path;

    void SetUp() override
    {
        dir = files::ScratchDir("inifile");
        path = dir + "\\Salvora.ini";
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD done = 0;
        WriteFile(h, kOld.data(), static_cast<DWORD>(kOld.size()), &done, NULL);
        CloseHandle(h);
    }
    void TearDown() override { files::RemoveTree(dir); }

    static void Edit(TINIFile& ini)
    {
        ASSERT_EQ(ini.ReadFile(), IniSuccess);
        ini.WriteFirstString("Salvora", "Drive", "D:,20%,0");
        ini.WriteClose();
    }
};

TEST_F(IniOnWindows, ReplacesTheFileAndLeavesNothingBeside)
{
    TINIFile ini(path.c_str());
    ini.WriteMode = 0;
    Edit(ini);
    EXPECT_EQ(ini.FlushFile(), IniSuccess);
    EXPECT_EQ(ini.LastFlush, IniFlushWritten);
    EXPECT_EQ(files::ReadText(path), kNew);
    EXPECT_EQ(files::List(dir), std::vector<std::string>{"Salvora.ini"});

    TINIFile again(path.c_str());
    again.WriteMode = 0;
    Edit(again);  // the same values once more
    EXPECT_EQ(again.FlushFile(), IniWriteFailed);
    EXPECT_EQ(again.LastFlush, IniFlushUnchanged);
    EXPECT_FALSE(again.HasChanged());
}

// Read-only, or open in another program that shares it for reading only, or
// for reading and writing (renaming it is what fails then).
TEST_F(IniOnWindows, AFileWindowsGuardsStaysAsItWas)
{
    struct Guard {
        const char* what;
        DWORD attributes, access, share;
    } guards[] = {
        {"read-only", FILE_ATTRIBUTE_READONLY, 0, 0},
        {"held for reading", 0, GENERIC_READ, FILE_SHARE_READ},
        {"held for writing", 0, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
    };
    for (const Guard& g : guards) {
        SCOPED_TRACE(g.what);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (g.attributes) {
            ASSERT_TRUE(SetFileAttributesA(path.c_str(), g.attributes));
        }
        TINIFile ini(path.c_str());
        ini.WriteMode = 0;
        Edit(ini);
        if (g.access) {
            held = CreateFileA(path.c_str(), g.access, g.share, NULL, OPEN_EXISTING, 0, NULL);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }

        EXPECT_EQ(ini.FlushFile(), IniWriteFailed);
        EXPECT_EQ(ini.LastFlush, IniFlushFailed);
        EXPECT_TRUE(ini.HasChanged());
        EXPECT_EQ(files::List(dir), std::vector<std::string>{"Salvora.ini"});

        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_EQ(files::ReadText(path), kOld);
        EXPECT_EQ(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, g.attributes);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_EQ(ini.FlushFile(), IniSuccess);  // free again
        EXPECT_EQ(files::ReadText(path), kNew);
        SetUp();  // the old file again for the next guard
    }
}

}  // namespace
