// What the drive's "Salvora" page writes to Salvora.ini (drivepage.h): the
// rest of the file as it was, entries that stand not rewritten, a file it
// cannot write, two sheets applied together, and the file beside a DLL in a
// folder of the Japanese edition whose name ends in a backslash byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "tests/codepage932.h"

#include "drivepage.h"

namespace {

using namespace drivepagetest;

TEST_F(DrivePage, TheRestOfTheFileStaysAsItWas)
{
    const std::string head = "; Salvora settings\r\n[Other]\r\nKey = Value ; note\r\n\r\n[Salvora]\r\n";
    const std::string tail = "Version=2\r\n\r\n[Last]\r\nx=1\r\n";
    const std::string old = "Drive = D:,50%,3\r\n Drive=F:,10%,0\r\n";
    // With no drive tracked any more, the old entries go: they would claim
    // tracking for drives that have none.
    const struct Case {
        bool tracking;
        std::string entries;
    } cases[] = {
        {true, DriveLine("D:,10%,7")},
        {false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tracking ? "tracking on" : "tracking off");
        ASSERT_TRUE(WriteBytes(IniPath(), head + old + tail));
        ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        if (!c.tracking) {
            ASSERT_TRUE(sheet.Click(kTracking));
        }
        ASSERT_TRUE(sheet.Ok());
        EXPECT_EQ(head + c.entries + tail, files::ReadText(IniPath()));
    }
}

// Another program's handle on the file: shared for reading only, the file
// can be read but not written; shared for nothing, it cannot even be read.
HANDLE HoldOpen(const std::string& path, DWORD share)
{
    return CreateFileA(path.c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
}

// Whether a read-only file refuses writing here (root's Wine writes it).
bool ReadOnlyIsEnforced()
{
    const std::string probe = files::InBin("readonly.probe");
    RemoveFile(probe);
    if (!WriteBytes(probe, "x") || !SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY))
        return false;
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    RemoveFile(probe);
    return h == INVALID_HANDLE_VALUE;
}

// A UTF-16 file as Notepad saves "Unicode" text.
std::string Utf16(const std::string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char c : text)
        bytes += std::string(1, c) + '\0';
    return bytes;
}

TEST_F(DrivePage, AFileThatCannotBeWrittenIsReported)
{
    const std::string ansi = "[Salvora]\r\n Drive = D:,50%,3\r\n";
    enum How { ReadOnly, OpenForReading, Locked, Unicode, TurnNeverEnds };
    const struct Case {
        How how;
        const char* name;
    } cases[] = {
        {ReadOnly, "read-only"},
        {OpenForReading, "open elsewhere for reading"},
        {Locked, "locked"},
        {Unicode, "UTF-16 text"},
        {TurnNeverEnds, "another write-back never ends"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.how == ReadOnly && !ReadOnlyIsEnforced()) {
            std::cout << "[   NOTE   ] read-only files are written here (root)\n";
            continue;
        }
        const std::string before = c.how == Unicode ? Utf16(ansi) : ansi;
        RemoveFile(IniPath());
        ASSERT_TRUE(WriteBytes(IniPath(), before));
        HANDLE held = INVALID_HANDLE_VALUE;
        HANDLE turn = NULL;
        if (c.how == ReadOnly)
            ASSERT_TRUE(SetFileAttributesA(IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
        else if (c.how == OpenForReading || c.how == Locked)
            held = HoldOpen(IniPath(), c.how == OpenForReading ? FILE_SHARE_READ : 0);
        else if (c.how == TurnNeverEnds)
            turn = CreateMutexA(NULL, TRUE, kWriteBackTurn);
        ASSERT_TRUE(c.how == ReadOnly || c.how == Unicode || held != INVALID_HANDLE_VALUE ||
                    turn != NULL);

        ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        standin::TakeLog();
        sheet.PressOk();
        // The page waits its bounded time for a turn that never comes.
        ui::MessageBoxInfo box;
        ASSERT_TRUE(ui::WaitForMessageBox(&box, sext::kMessageCaption, 3 * ui::kWait, sheet.Pid()));
        EXPECT_EQ(kCannotSave, box.text);
        // The driver has the new settings already.
        std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
        ASSERT_EQ(1u, sent.size());
        EXPECT_EQ(TrackedRecord(d_, 10, 7), sent[0].in);
        EXPECT_TRUE(ui::Dismiss(box.window));
        EXPECT_TRUE(sheet.Closed());
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (turn) {
            ReleaseMutex(turn);
            CloseHandle(turn);
        }
        EXPECT_EQ(before, files::ReadText(IniPath()));
    }
}

TEST_F(DrivePage, EntriesThatStandAsTheyWereAreNotRewritten)
{
    const std::string entries = "[Salvora]\r\n" + DriveLine("D:,10%,7");
    ASSERT_TRUE(WriteBytes(IniPath(), entries));
    HANDLE h = CreateFileA(IniPath().c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL, OPEN_EXISTING, 0,
                           NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    FILETIME old = {0x5F4A0000, 0x01C0F2B0};   // 2001
    ASSERT_TRUE(SetFileTime(h, NULL, NULL, &old));
    CloseHandle(h);
    // Open elsewhere for reading too: a write would fail and say so.
    HANDLE held = HoldOpen(IniPath(), FILE_SHARE_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);

    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    standin::TakeLog();
    ASSERT_TRUE(sheet.Ok());
    CloseHandle(held);
    EXPECT_EQ(1u, SettingsSent(standin::TakeLog()).size());
    EXPECT_EQ(entries, files::ReadText(IniPath()));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA(IniPath().c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(0, CompareFileTime(&old, &data.ftLastWriteTime));
}

TEST_F(DrivePage, TwoSheetsAppliedTogetherKeepBothDrives)
{
    // Each sheet has its own process here, as with a second shell; a slow
    // driver holds both Applies between the records they read and the file
    // they write.
    Sheet d, e;
    ASSERT_TRUE(d.Open("D:\\"));
    ASSERT_TRUE(e.Open("E:\\"));
    ASSERT_TRUE(d.Click(kTracking));
    ASSERT_TRUE(e.Click(kTracking));
    ASSERT_TRUE(standin::SetDelay(100));
    d.PressOk();
    e.PressOk();
    EXPECT_TRUE(d.Closed(3 * ui::kWait));
    EXPECT_TRUE(e.Closed(3 * ui::kWait));
    ASSERT_TRUE(standin::SetDelay(0));

    VSCTL_STATUS status;
    ASSERT_TRUE(standin::Status(&status));
    EXPECT_EQ(1, status.drives[3][1]);  // the enabled byte
    EXPECT_EQ(1, status.drives[4][1]);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("D:,5%,0") + DriveLine("E:,5%,0"),
              files::ReadText(IniPath()));
}

// The Japanese edition (code page 932), with the extension installed in a
// folder whose name ends in "表", 0x95 0x5C, under a name that ends in it
// too: its Salvora.ini is the one in that folder, rewritten there.
const char kDllName[] = "slvrsext" SJIS_HYO ".dll";

class DrivePageOnCodePage932 : public DrivePage {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(932u, GetACP()) << "run under SALVORA_ANSI_CODEPAGE=932 (scripts/wine-run)";
        Dir() = files::ScratchDir("page") + "\\Salvora" SJIS_HYO;
        ASSERT_TRUE(files::MakeDirs(Dir()));
        ASSERT_TRUE(files::Copy(sext::BinDllPath(), Dir() + "\\" + kDllName));
        files::Process host;
        ASSERT_TRUE(
            host.Start(sext::ShellHostPath(), "register \"" + Dir() + "\\" + kDllName + "\""));
        DWORD code = 1;
        ASSERT_TRUE(host.WaitExit(ui::kWait, &code));
        ASSERT_EQ(0u, code);
    }
    static void TearDownTestSuite()
    {
        DrivePage::TearDownTestSuite();
        files::RemoveTree(files::Parent(Dir()));
    }
    static std::string& Dir()
    {
        static std::string dir;
        return dir;
    }
};

TEST_F(DrivePageOnCodePage932, SalvoraIniBesideTheDllInAFolderEndingInABackslashByte)
{
    const std::string ini = Dir() + "\\Salvora.ini";
    ASSERT_TRUE(WriteBytes(ini, "; kept\r\n[Salvora]\r\n" + DriveLine("C:,5%,0")));
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    ASSERT_TRUE(sheet.Ok());
    EXPECT_EQ("; kept\r\n[Salvora]\r\n" + DriveLine("D:,10%,7"), files::ReadText(ini));
    EXPECT_FALSE(files::Exists(IniPath()));
    // Nothing else was left in the folder: the new copy took the file's place.
    EXPECT_EQ((std::vector<std::string>{"Salvora.ini", kDllName}), files::List(Dir()));
}

}  // namespace
