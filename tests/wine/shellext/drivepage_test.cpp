// The drive's "Salvora" page (drivepage.h): what it shows, the drive it
// keeps, its buttons and help; and AddPages, asked in this process.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string.h>

#include <string>
#include <vector>

#include "support/fakeshell.h"
#include "support/revivr.h"

#include "drivepage.h"

namespace {

using namespace drivepagetest;
using sext::Ptr;

TEST_F(DrivePage, OpensWithTheDrivesSettings)
{
    // Tracking off shows the defaults, 5 % and 5 days, whatever the record
    // says; the day-count box follows the record all the same.
    const struct Case {
        bool tracking;
        BYTE percent, dayCount;
        int shownPercent;
        const char* shownDays;
        bool dayCountChecked;
    } cases[] = {
        {true, 10, 7, 10, "7", true},
        {true, 25, 0, 25, "0", false},
        {false, 30, 9, 5, "5", true},
        {false, 0, 0, 5, "5", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tracking " << c.tracking << " " << (int)c.percent
                                        << "% " << (int)c.dayCount << " days");
        ASSERT_TRUE(standin::SetDrive(4, c.tracking, 4096, 100, c.percent, c.dayCount));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        EXPECT_EQ(c.tracking, sheet.Checked(kTracking));
        EXPECT_EQ(c.dayCountChecked, sheet.Checked(kDayCountOn));
        EXPECT_EQ(c.shownPercent, sheet.Percent());
        EXPECT_EQ(c.shownDays, sheet.Text(kDayCount));
        EXPECT_EQ(PercentText(d_, c.shownPercent), sheet.Text(kPercentText));
        // Only the tracking box stays usable without tracking; the day
        // count's edit and arrows follow their own box.
        EXPECT_TRUE(sheet.Enabled(kTracking));
        for (int id : {kSlider, kDayCountOn, kPercentText, kClear, kUndelete, 100, 101, 102, 120,
                       121, 122, 123, 124})
            EXPECT_EQ(c.tracking, sheet.Enabled(id)) << id;
        for (int id : {kDayCount, kSpin})
            EXPECT_EQ(c.tracking && c.dayCountChecked, sheet.Enabled(id)) << id;
        EXPECT_TRUE(sheet.ApplyEnabled());
        // The controls stand in their tab order.
        std::vector<int> ids;
        for (HWND w = GetWindow(GetDlgItem(sheet.Page(), kTracking), GW_HWNDFIRST); w;
             w = GetWindow(w, GW_HWNDNEXT))
            ids.push_back(GetDlgCtrlID(w));
        EXPECT_EQ((std::vector<int>{107, 110, 108, 111, 112, 103, 109, 100, 121, 114, 120, 101,
                                    102, 123, 124, 122}),
                  ids);
        EXPECT_TRUE(sheet.Cancel());
    }
}

TEST_F(DrivePage, ThePageKeepsItsDrive)
{
    // The shell selects E: for another menu while the sheet for D: is up
    // (and the shell named D: in lower case).
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    ASSERT_TRUE(standin::SetDrive(5, true, 4096, 100, 40, 3));
    revivr::Watch revivr;
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("--reselect E:\\ d:\\"));
    EXPECT_EQ(10, sheet.Percent());
    EXPECT_EQ("7", sheet.Text(kDayCount));

    sheet.Press(kUndelete);
    EXPECT_TRUE(revivr.CloseNext());
    EXPECT_EQ("D:\\ /drv\r\n", revivr.NewLog());

    // Its Clear Trashcan scans D:, in dialogs owned by the sheet.
    files::RemoveTree("D:\\RECYCLED");
    ASSERT_TRUE(files::MakeDirs(files::Trashcan('D')));
    ASSERT_TRUE(files::MakeFile(files::Trashcan('D') + "\\deleted", 10));
    ASSERT_TRUE(standin::SetDelay(500));
    sheet.Press(kClear);
    HWND scan = ui::WaitForWindow("#32770", "Salvora: Scanning for deleted files", ui::kWait, sheet.Pid());
    ASSERT_TRUE(scan != NULL);
    EXPECT_EQ(GetParent(sheet.Page()), GetWindow(scan, GW_OWNER));
    ASSERT_TRUE(standin::SetDelay(0));
    ui::MessageBoxInfo question;
    ASSERT_TRUE(ui::WaitForMessageBox(&question, "Salvora", ui::kWait, sheet.Pid()));
    EXPECT_NE(std::string::npos, question.text.find("1 deleted files  (1 KByte)\nin the Salvora Trashcan of drive  D:."));
    ui::Dismiss(question.window, IDNO);
    files::RemoveTree("D:\\RECYCLED");

    sheet.MoveSlider(20);
    EXPECT_EQ(PercentText(d_, 20), sheet.Text(kPercentText));
    standin::TakeLog();
    ASSERT_TRUE(sheet.Ok());
    std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(TrackedRecord(d_, 20, 7), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("D:,20%,7") + DriveLine("E:,40%,3"),
              files::ReadText(IniPath()));
    revivr.CloseAll();
}

TEST_F(DrivePage, HelpPopUps)
{
    FileKeeper help(HelpPath());
    fakeshell::FakeHelp engine;
    ASSERT_TRUE(engine.Start());
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    // The page's own controls have topics in its help file; any other
    // control gets the empty pop-up.
    ASSERT_TRUE(WriteBytes(HelpPath(), "help"));
    for (int control : {kTracking, kClear, kSpin, kDayCount, 122}) {
        engine.Clear();
        ui::AskForHelp(sheet.Page(), control);
        ASSERT_TRUE(engine.WaitForCount(1)) << control;
        fakeshell::HelpCall call = engine.Calls()[0];
        EXPECT_EQ((UINT)HELP_CONTEXTPOPUP, call.command) << control;
        EXPECT_EQ(control == 122 ? 0 : control, call.data) << control;
        if (control == 122)
            EXPECT_EQ("", call.file);
        else
            EXPECT_EQ(0, lstrcmpiA(HelpPath().c_str(), call.file.c_str())) << call.file;
    }
    // Without the file only a beep answers, and the help engine is not asked.
    RemoveFile(HelpPath());
    engine.Clear();
    ui::AskForHelp(sheet.Page(), kTracking);
    ui::AskForHelp(sheet.Page(), 122);
    ASSERT_TRUE(engine.WaitForCount(1));
    EXPECT_EQ(0, engine.Calls()[0].data);
    EXPECT_TRUE(sheet.Cancel());
}

// A sheet that takes the pages it is given, or (null) refuses them.
BOOL CALLBACK KeepPage(HPROPSHEETPAGE page, LPARAM lParam)
{
    if (!lParam)
        return FALSE;
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
    return TRUE;
}

INT_PTR CALLBACK NoDialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Whether this comctl32 counts a page in its reference parent.
bool CountsReferenceParents()
{
    UINT count = 0;
    PROPSHEETPAGEA description;
    memset(&description, 0, sizeof description);
    description.dwSize = PROPSHEETPAGEA_V1_SIZE;
    description.dwFlags = PSP_USEREFPARENT;
    description.hInstance = sext::Bin().module;
    description.pszTemplate = MAKEINTRESOURCEA(3300);
    description.pfnDlgProc = NoDialog;
    description.pcRefParent = &count;
    HPROPSHEETPAGE page = CreatePropertySheetPageA(&description);
    UINT counted = count;
    if (page)
        DestroyPropertySheetPage(page);
    return counted == 1;
}

TEST(DrivePageAdded, OnlyForFixedAndRamDrives)
{
    ASSERT_TRUE(standin::Reset());
    // A sheet that refuses the page gets it destroyed again.
    const struct Case {
        const char* path;
        HRESULT result;
        bool refused = false;
    } cases[] = {
        {"D:\\", S_OK},   {"M:\\", S_OK},   {"d:\\", S_OK},   {"F:\\", E_FAIL},
        {"N:\\", E_FAIL}, {"R:\\", E_FAIL}, {"@:\\", E_FAIL}, {"`:\\", E_FAIL},
        {"{:\\", E_FAIL}, {"\\\\SERVER\\SHARE", E_FAIL},
        {"D:\\", E_FAIL, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<HPROPSHEETPAGE> pages;
        {
            Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {c.path}));
            ASSERT_TRUE(init);
            Ptr<IShellPropSheetExt> ext(sext::Sheet(init.get()));
            ASSERT_TRUE(ext);
            LPARAM sheet = c.refused ? 0 : reinterpret_cast<LPARAM>(&pages);
            EXPECT_EQ(c.result, ext->AddPages(KeepPage, sheet));
        }
        EXPECT_EQ(c.result == S_OK ? 1u : 0u, pages.size());
        for (HPROPSHEETPAGE page : pages)
            EXPECT_TRUE(DestroyPropertySheetPage(page));
        EXPECT_EQ(S_OK, sext::Bin().CanUnloadNow());
    }
}

// The page keeps the server loaded until it is destroyed, through the
// reference parent that comctl32 counts.
TEST(DrivePageAdded, KeepsTheServerLoadedWhileItLives)
{
    if (!CountsReferenceParents())
        GTEST_SKIP() << "this comctl32 does not count a page's reference parent (Wine 8's does not)";
    ASSERT_TRUE(standin::Reset());
    std::vector<HPROPSHEETPAGE> pages;
    {
        Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {"D:\\"}));
        ASSERT_TRUE(init);
        Ptr<IShellPropSheetExt> ext(sext::Sheet(init.get()));
        ASSERT_TRUE(ext);
        EXPECT_EQ(S_OK, ext->AddPages(KeepPage, reinterpret_cast<LPARAM>(&pages)));
    }
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ(S_FALSE, sext::Bin().CanUnloadNow());
    EXPECT_TRUE(DestroyPropertySheetPage(pages[0]));
    EXPECT_EQ(S_OK, sext::Bin().CanUnloadNow());
}

}  // namespace
