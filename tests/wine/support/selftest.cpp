// The test support must itself be right before any product test can be
// believed: each helper is checked against the real Wine behaviour here.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "driver/driver.h"
#include "support/fakeshell.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

DWORD WINAPI ShowBox(void* result)
{
    *static_cast<int*>(result) = MessageBoxA(NULL, "Something to read", "Support Check",
                                             MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

TEST(SupportUi, FindsReadsAndDismissesAMessageBox)
{
    int answer = -1;
    HANDLE thread = CreateThread(NULL, 0, ShowBox, &answer, 0, NULL);
    ui::MessageBoxInfo box;
    ASSERT_TRUE(ui::WaitForMessageBox(&box, "Support Check"));
    EXPECT_EQ("Something to read", box.text);
    EXPECT_EQ("Support Check", box.caption);
    EXPECT_EQ((UINT)MB_ICONEXCLAMATION, box.icon);
    EXPECT_TRUE(ui::Dismiss(box.window, IDOK));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 5000));
    CloseHandle(thread);
    EXPECT_EQ(IDOK, answer);
    EXPECT_FALSE(ui::WaitForMessageBox(&box, "Support Check", 100));
}

TEST(SupportShell, TaskbarRecordsNotifyIconCalls)
{
    fakeshell::FakeTaskbar taskbar;
    ASSERT_TRUE(taskbar.Start());
    HICON icon = LoadIconA(NULL, IDI_APPLICATION);
    NOTIFYICONDATAA nid;
    memset(&nid, 0, sizeof nid);
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = taskbar.Window();
    nid.uID = 1000;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_USER + 1;
    nid.hIcon = icon;
    lstrcpyA(nid.szTip, "A tip");
    EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
    taskbar.SetAnswer(FALSE);
    nid.uFlags = NIF_TIP;
    lstrcpyA(nid.szTip, "Another");
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &nid));
    ASSERT_TRUE(taskbar.WaitForCount(2));
    std::vector<fakeshell::IconCall> calls = taskbar.Calls();
    EXPECT_EQ((DWORD)NIM_ADD, calls[0].action);
    EXPECT_EQ((DWORD)(UINT_PTR)taskbar.Window(), calls[0].window);
    EXPECT_EQ(1000u, calls[0].id);
    EXPECT_EQ(7u, calls[0].flags);
    EXPECT_EQ((UINT)WM_USER + 1, calls[0].callbackMessage);
    EXPECT_EQ("A tip", calls[0].tip);
    EXPECT_EQ(fakeshell::IconBits(icon), calls[0].iconBits);
    EXPECT_FALSE(calls[0].iconBits.empty());
    EXPECT_EQ((DWORD)NIM_MODIFY, calls[1].action);
    EXPECT_EQ("Another", calls[1].tip);
    EXPECT_TRUE(calls[1].iconBits.empty());
}

TEST(SupportShell, HelpWindowRecordsWinHelpRequests)
{
    fakeshell::FakeHelp help;
    ASSERT_TRUE(help.Start());
    EXPECT_TRUE(WinHelpA(NULL, "C:\\SOME\\thing.hlp", HELP_CONTEXTPOPUP, 103));
    EXPECT_TRUE(WinHelpA(NULL, "C:\\SOME\\thing.hlp", HELP_QUIT, 0));
    ASSERT_TRUE(help.WaitForCount(2));
    std::vector<fakeshell::HelpCall> calls = help.Calls();
    EXPECT_EQ((UINT)HELP_CONTEXTPOPUP, calls[0].command);
    EXPECT_EQ(103, calls[0].data);
    EXPECT_EQ("C:\\SOME\\thing.hlp", calls[0].file);
    EXPECT_EQ((UINT)HELP_QUIT, calls[1].command);
}

TEST(SupportFiles, DrivesHaveTheirTypesAndTakeFiles)
{
    EXPECT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("D:\\"));
    EXPECT_EQ((UINT)DRIVE_FIXED, GetDriveTypeA("E:\\"));
    EXPECT_EQ((UINT)DRIVE_REMOVABLE, GetDriveTypeA("F:\\"));
    EXPECT_EQ((UINT)DRIVE_RAMDISK, GetDriveTypeA("M:\\"));
    EXPECT_EQ((UINT)DRIVE_REMOTE, GetDriveTypeA("N:\\"));
    EXPECT_EQ((UINT)DRIVE_CDROM, GetDriveTypeA("R:\\"));
    char label[64] = "";
    EXPECT_TRUE(GetVolumeInformationA("D:\\", label, sizeof label, NULL, NULL, NULL, NULL, 0));
    EXPECT_STREQ("DATADISK", label);

    std::string dir = files::Trashcan('E') + "\\selftest";
    ASSERT_TRUE(files::MakeDirs(dir));
    ASSERT_TRUE(files::MakeFile(dir + "\\b.txt", 1500, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(files::MakeFile(dir + "\\a.txt"));
    ASSERT_TRUE(files::MakeDirs(dir + "\\sub"));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt"}), files::List(dir));
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA((dir + "\\b.txt").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(1500u, data.nFileSizeLow);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(files::RemoveTree(files::Trashcan('E')));
    EXPECT_FALSE(files::Exists(dir));
}

TEST(SupportStandin, ResetsAndReportsTheDriver)
{
    ASSERT_TRUE(standin::Reset());
    VSCTL_STATUS status;
    ASSERT_TRUE(standin::Status(&status));
    EXPECT_EQ(1, status.state);
    EXPECT_EQ(0, status.absent);
    EXPECT_EQ(0u, status.openCount);
    for (int d = 0; d < VSCTL_DRIVES; ++d)
        EXPECT_EQ(0, status.drives[d][1]) << "drive " << d + 1;

    ASSERT_TRUE(standin::SetState(false));
    ASSERT_TRUE(standin::SetDrive(4, true, 2048, 300, 10, 7));
    ASSERT_TRUE(standin::Status(&status));
    EXPECT_EQ(0, status.state);
    const unsigned char expected[8] = {4, 1, 0x00, 0x08, 0x2c, 0x01, 10, 7};
    EXPECT_EQ(0, memcmp(expected, status.drives[3], 8));

    // Control requests are not the product's: they leave no trace in the log.
    EXPECT_TRUE(standin::TakeLog().empty());
    EXPECT_EQ(0, QueryDriverState());
    std::vector<standin::Request> log = standin::TakeLog();
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ((unsigned)QueryState, log[0].code);
    EXPECT_TRUE(standin::TakeLog().empty());
    ASSERT_TRUE(standin::Reset());
}

}  // namespace
