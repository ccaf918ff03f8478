// Ending the real slvrtray.exe in the middle of a clearing run: the user's
// Exit, or the window closed from outside, at each stage of the run. Once
// asked to end, the applet opens no further dialog of the run, deletes
// nothing beyond the file in hand, and is gone within a bounded time.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"
#include "tray/resource.h"
#include "trayhelpers.h"

namespace {

using files::InTrashcan;
using standin::Count;
using traytest::kRemove;
using traytest::kResults;
using traytest::kSearch;

enum class Stage {
    Searching,                  // the search worker is inside a (slow) driver request
    ResultsOpen,                // the list waits for the user's OK
    FailureShown,               // the removal worker shows "Cannot remove..." and waits
    Removing,                   // the removal worker is deleting a long list of files
    WaitingForCancelledWorker,  // a new run waits for the worker of a cancelled one
};

struct Case {
    const char* name;
    Stage stage;
    bool closeFromOutside;      // WM_CLOSE to the window instead of the menu's Exit
};

const Case kCases[] = {
    {"ExitDuringTheSearch", Stage::Searching, false},
    {"ExitWhileTheResultsAreListed", Stage::ResultsOpen, false},
    {"ExitWhileAFailureIsReported", Stage::FailureShown, false},
    {"ExitDuringALongRemoval", Stage::Removing, false},
    {"ExitWhileANewRunWaitsForACancelledWorker", Stage::WaitingForCancelledWorker, false},
    {"CloseFromOutsideDuringALongRemoval", Stage::Removing, true},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const int kBulkFiles = 2000;

bool Has(const std::vector<std::string>& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

class TrayEnding : public traytest::AppletTest, public ::testing::WithParamInterface<Case> {
protected:
    void SetUp() override
    {
        AppletTest::SetUp();
        for (char drive : {'D', 'E'}) {
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
            ASSERT_TRUE(files::MakeDirs(files::Trashcan(drive)));
            ASSERT_TRUE(standin::Protect(drive));
        }
    }
    void TearDown() override
    {
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
        standin::SetDelay(0);
        AppletTest::TearDown();
        for (char drive : {'D', 'E'})
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
    }

    // D: holds a file in use between two others; E: one file; both an index.
    void FillTrashcans(bool fileInUse, int bulk)
    {
        for (const char* name : {"a", "in-use", "b", "salvora.inf"})
            ASSERT_TRUE(files::MakeFile(InTrashcan('D', name), 10));
        for (int i = 0; i < bulk; ++i)
            ASSERT_TRUE(files::MakeFile(InTrashcan('D', "bulk" + std::to_string(i)), 10));
        for (const char* name : {"c", "SALVORA.INF"})
            ASSERT_TRUE(files::MakeFile(InTrashcan('E', name), 10));
        if (fileInUse) {
            held_ = CreateFileA(InTrashcan('D', "in-use").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
            ASSERT_NE(INVALID_HANDLE_VALUE, held_);
        }
    }

    // Menu, search, the list's OK: the removal is under way.
    void StartRemoval()
    {
        Choose('t');
        HWND results = WaitForDialog(kResults);
        ASSERT_TRUE(results != NULL);
        ui::ClickButton(results, IDOK);
    }

    void WaitForFailureReport()
    {
        ui::MessageBoxInfo box;
        ASSERT_TRUE(ui::WaitForMessageBox(&box, traytest::kMessageCaption, ui::kWait, applet_.Id()));
    }

    void Reach(Stage stage)
    {
        switch (stage) {
        case Stage::Searching:
            FillTrashcans(false, 0);
            // Each drive's request takes a while: the search is held there.
            ASSERT_TRUE(standin::SetDelay(300));
            Choose('t');
            ASSERT_TRUE(WaitForDialog(kSearch) != NULL);
            break;
        case Stage::ResultsOpen:
            FillTrashcans(false, 0);
            Choose('t');
            ASSERT_TRUE(WaitForDialog(kResults) != NULL);
            break;
        case Stage::FailureShown:
            FillTrashcans(true, 0);
            StartRemoval();
            WaitForFailureReport();
            break;
        case Stage::Removing: {
            FillTrashcans(false, kBulkFiles);
            StartRemoval();
            HWND removal = WaitForDialog(kRemove);
            ASSERT_TRUE(removal != NULL);
            HWND bar = GetDlgItem(removal, IDC_PROGRESS_BAR);
            ASSERT_TRUE(ui::WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) > 0; }));
            break;
        }
        case Stage::WaitingForCancelledWorker: {
            FillTrashcans(true, 0);
            StartRemoval();
            WaitForFailureReport();
            HWND removal = WaitForDialog(kRemove);
            ASSERT_TRUE(removal != NULL);
            ui::ClickButton(removal, IDCANCEL);
            ASSERT_TRUE(ui::WaitGone(removal));
            standin::TakeLog();
            Choose('t');
            Settle();
            EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", kSearch, applet_.Id()));
            break;
        }
        }
    }

    HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_P(TrayEnding, EndsWithoutDeletingMoreOrWaitingForTheUser)
{
    const Case& c = GetParam();
    Start();
    Reach(c.stage);
    if (HasFatalFailure())
        return;
    std::vector<std::string> before = files::List(files::Trashcan('D'));

    if (c.closeFromOutside)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    else
        Choose('x');
    DWORD code = 999;
    ASSERT_TRUE(applet_.WaitExit(ui::kWait, &code)) << "the applet did not end";
    EXPECT_EQ(0u, code);
    std::vector<fakeshell::IconCall> icons = taskbar_.Calls();
    ASSERT_FALSE(icons.empty());
    EXPECT_EQ((DWORD)NIM_DELETE, icons.back().action);

    // Nothing beyond the file in hand: the index stays wherever the run
    // had not finished, and E: (after D: in the run) is never touched.
    std::vector<std::string> after = files::List(files::Trashcan('D'));
    EXPECT_TRUE(Has(after, "salvora.inf"));
    if (c.stage != Stage::Removing) {
        EXPECT_EQ(before, after);
    }
    EXPECT_EQ((std::vector<std::string>{"SALVORA.INF", "c"}), files::List(files::Trashcan('E')));
    std::vector<unsigned> codes = standin::TakeCodes();
    switch (c.stage) {
    case Stage::Searching:
        EXPECT_LT(Count(codes, 7), 26) << "the search went on after Exit";
        // fall through
    case Stage::ResultsOpen:
        EXPECT_EQ(0, Count(codes, 12));
        break;
    case Stage::Removing:
        // Stopped well before the end.
        EXPECT_GT(after.size(), (size_t)kBulkFiles / 4);
        EXPECT_EQ(1, Count(codes, 12));
        break;
    case Stage::WaitingForCancelledWorker:
        EXPECT_EQ(0, Count(codes, 7)) << "a new run began";
        // fall through
    case Stage::FailureShown:
        EXPECT_TRUE(Has(after, "in-use"));
        EXPECT_LE(Count(codes, 12), 1);
        break;
    }

    // The user can have the applet back at once.
    taskbar_.Clear();
    ASSERT_TRUE(applet_.Start(traytest::Applet()));
    EXPECT_TRUE(taskbar_.WaitForCount(1));
}

INSTANTIATE_TEST_SUITE_P(Stages, TrayEnding, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
