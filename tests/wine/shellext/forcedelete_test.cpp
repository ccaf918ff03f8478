// "&ForceDelete" (forcedelete.h): its first confirmation, its progress, the
// user's Cancel, a file in use or no driver, and a run that keeps the
// selection it was confirmed for.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>
#include <vector>

#include "forcedelete.h"

namespace {

using namespace forcedeletetest;

TEST_F(ForceDelete, TheFirstConfirmationNamesTheSelectionAndOnlyYesGoesOn)
{
    MakeFiles({"A.TXT", "B.TXT", "dir\\x"});
    const std::string tail = "with ForceDelete?\n\nSalvora Undelete will be unable to restore ";
    const struct {
        std::vector<std::string> paths;
        const char* caption;
        std::string text;
        UINT dismiss;   // a button, or the close box
    } cases[] = {
        {{In("A.TXT")}, kFileCaption, "Are you sure you want to delete '" + In("A.TXT") + "'  " + tail + "this file!",
         IDNO},
        {{In("dir")}, kFolderCaption,
         "Are you sure you want to remove the folder '" + In("dir") + "' and all its contents " + tail + "these items!",
         IDCANCEL},
        {{In("A.TXT"), In("dir"), In("B.TXT")}, kItemsCaption,
         "Are you sure you want to delete these 3 items " + tail + "these items!", WM_CLOSE},
    };
    Listing before = TreeOf(kArea);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        FreshLog();
        auto command = Run(c.paths);
        HWND box = WaitForConfirmation(c.caption);
        ASSERT_TRUE(box != NULL);
        EXPECT_EQ(c.text, ui::ControlText(box, kMessage));
        EXPECT_EQ(NULL, GetWindow(box, GW_OWNER));
        EXPECT_EQ("&Yes", ui::ControlText(box, IDYES));
        EXPECT_EQ("&No", ui::ControlText(box, IDNO));
        EXPECT_EQ(NULL, GetDlgItem(box, kYesToAll));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, 12291)));
        if (c.dismiss == WM_CLOSE)
            PostMessageA(box, WM_CLOSE, 0, 0);
        else
            ui::ClickButton(box, c.dismiss);
        ASSERT_TRUE(command->WaitDone());
        EXPECT_EQ(NULL, Progress());
        EXPECT_EQ(before, TreeOf(kArea));
        // The menu's own requests, and nothing of a run.
        EXPECT_EQ((std::vector<unsigned>{5, 7}), requests_.Take());
    }
}

TEST_F(ForceDelete, ProgressShowsTheItemTheBarAndThePercentage)
{
    auto range = [](HWND bar) {
        PBRANGE r = {};
        SendMessageA(bar, PBM_GETRANGE, FALSE, (LPARAM)&r);
        return r.iHigh;
    };
    // One file: the whole run on the screen while the driver holds its
    // resume request; the dialog then closes by itself.
    MakeFiles({"A.TXT"});
    auto command = Run({In("A.TXT")});
    HWND box = WaitForConfirmation(kFileCaption);
    ASSERT_TRUE(standin::SetDelay(700));
    Answer(box, IDYES);
    // The selection is counted before tracking is suspended.
    HWND progress = NULL;
    EXPECT_TRUE(ui::WaitUntil([&] {
        progress = Progress();
        return progress && ui::ControlText(progress, 103) == "Scanning...";
    }));
    ASSERT_TRUE(ui::WaitUntil([&] {
        progress = Progress();
        return progress && ui::ControlText(progress, 105) == "100%";
    }));
    EXPECT_EQ("Force deleting file: A.TXT", ui::ControlText(progress, 103));
    EXPECT_EQ(1, range(GetDlgItem(progress, 104)));
    EXPECT_EQ(NULL, GetWindow(progress, GW_OWNER));
    ASSERT_TRUE(command->WaitDone());
    EXPECT_FALSE(files::Exists(In("A.TXT")));
    ASSERT_TRUE(standin::SetDelay(0));

    // Three read-only files: each question stops the walk where the bar and
    // the percentage can be read.
    MakeFiles({"R1", "R2", "R3"}, FILE_ATTRIBUTE_READONLY);
    command = Run({In("R1"), In("R2"), In("R3")});
    Confirm(kItemsCaption);
    const char* const before[] = {"", "33%", "67%"};
    for (int i = 0; i < 3; ++i) {
        box = WaitForConfirmation(kFileCaption);
        ASSERT_TRUE(box != NULL);
        EXPECT_EQ(AskedAbout(In("R" + std::to_string(i + 1))), ui::ControlText(box, kMessage));
        progress = Progress();
        EXPECT_EQ(3, range(GetDlgItem(progress, 104)));
        EXPECT_EQ(i, SendDlgItemMessageA(progress, 104, PBM_GETPOS, 0, 0));
        EXPECT_EQ(before[i], ui::ControlText(progress, 105));
        EXPECT_EQ("Force deleting file: R" + std::to_string(i + 1), ui::ControlText(progress, 103));
        if (i == 2) {
            ASSERT_TRUE(standin::SetDelay(700));
        }
        Answer(box, IDYES);
    }
    EXPECT_TRUE(ui::WaitUntil([&] { return ui::ControlText(progress, 105) == "100%"; }));
    ASSERT_TRUE(command->WaitDone());
    ASSERT_TRUE(standin::SetDelay(0));

    // A folder with two files and a subfolder with one: five items, of which
    // the bar counts the three files; the folders are removed last.
    MakeFiles({"F\\f1", "F\\f2", "F\\sub\\f3"});
    command = Run({In("F")});
    box = WaitForConfirmation(kFolderCaption);
    ASSERT_TRUE(standin::SetDelay(700));
    Answer(box, IDYES);
    ASSERT_TRUE(ui::WaitUntil([&] {
        progress = Progress();
        return progress && ui::ControlText(progress, 103) == "Removing directory: F";
    }));
    EXPECT_EQ(5, range(GetDlgItem(progress, 104)));
    EXPECT_EQ(3, SendDlgItemMessageA(progress, 104, PBM_GETPOS, 0, 0));
    EXPECT_EQ("60%", ui::ControlText(progress, 105));
    ASSERT_TRUE(command->WaitDone());
    EXPECT_FALSE(files::Exists(In("F")));
}

TEST_F(ForceDelete, CancelInTheProgressDialogWhileAFileIsAskedAbout)
{
    MakeFiles({"F\\a", "F\\c", "G\\g", "Z"});
    MakeFiles({"F\\b"}, FILE_ATTRIBUTE_HIDDEN);
    auto first = Run({In("F"), In("Z")});
    Confirm(kItemsCaption);
    HWND question = WaitForConfirmation(kFileCaption);
    ASSERT_TRUE(question != NULL);
    HWND progress = Progress();
    ASSERT_TRUE(progress != NULL);

    // No second run while the first one's dialogs are open.
    {
        auto second = Run({In("G")});
        ASSERT_TRUE(second->WaitDone());
        EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", kFolderCaption, GetCurrentProcessId()));
    }
    EXPECT_EQ(1, requests_.Count(8));
    EXPECT_EQ(0, requests_.Count(9));

    // The question goes with the run, answered No, and tracking comes back
    // without anyone answering it.
    ui::ClickButton(progress, IDCANCEL);
    ASSERT_TRUE(ui::WaitGone(progress));
    ASSERT_TRUE(ui::WaitUntil([&] { return requests_.Count(9) == 1; }));
    EXPECT_TRUE(ui::WaitGone(question));
    ASSERT_TRUE(first->WaitDone());
    EXPECT_EQ(S_OK, first->Result());
    first.reset();
    EXPECT_TRUE(ui::WaitUntil([] { return sext::Bin().CanUnloadNow() == S_OK; }));
    EXPECT_FALSE(files::Exists(In("F\\a")));
    for (const char* kept : {"F\\b", "F\\c", "G\\g", "Z"})
        EXPECT_TRUE(files::Exists(In(kept))) << kept;
    EXPECT_TRUE(SuspendedThenResumed());
    EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", NULL, GetCurrentProcessId()));
}

TEST_F(ForceDelete, AFileInUseOrNoDriver)
{
    // A file held open stops the walk there, and says so once: what came
    // before it is gone, the rest of the selection stays. So also where the
    // system itself would delete it, and a protected file in use keeps its
    // attributes after the user said Yes.
    const struct {
        const char* what;
        DWORD sharing, attributes;
    } cases[] = {
        {"held without delete sharing", FILE_SHARE_READ | FILE_SHARE_WRITE, 0},
        {"held sharing everything", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0},
        {"read-only, held sharing everything", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
         FILE_ATTRIBUTE_READONLY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(RemoveTree(kArea) && files::MakeDirs(kArea));
        MakeFiles({"F\\a", "F\\b", "F\\d", "G"});
        ASSERT_TRUE(files::MakeFile(In("F\\c"), 10, c.attributes));
        DWORD attributes = GetFileAttributesA(In("F\\c").c_str());
        Hold(In("F\\c"), c.sharing);
        FreshLog();
        auto command = Run({In("F"), In("G")});
        Confirm(kItemsCaption);
        if (c.attributes) {
            HWND question = WaitForConfirmation(kFileCaption);
            ASSERT_TRUE(question != NULL);
            Answer(question, IDYES);
        }
        EXPECT_EQ(Stopped(In("F\\c"), kInUse), MessageAfter(command.get()));
        ASSERT_TRUE(command->WaitDone());
        EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", NULL, GetCurrentProcessId()));
        EXPECT_EQ((Listing{{"\\F", 16}, {"\\F\\c", attributes}, {"\\F\\d", 32}, {"\\G", 32}}), TreeOf(kArea));
        EXPECT_TRUE(SuspendedThenResumed());
        command.reset();
        LetGo();
        SetFileAttributesA(In("F\\c").c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    // The driver gone after the shell built its menu: the same deletions.
    sext::Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraFolderHandler, {In("F"), In("G")}));
    sext::Ptr<IContextMenu> cm(init ? sext::Menu(init.get()) : NULL);
    ASSERT_TRUE(cm);
    ASSERT_TRUE(standin::SetAbsent(true));
    std::thread shell([&] { sext::Invoke(cm.get(), MAKEINTRESOURCEA(0)); });
    Confirm(kItemsCaption);
    shell.join();
    EXPECT_EQ(Listing(), TreeOf(kArea));
}

TEST_F(ForceDelete, TheRunKeepsTheSelectionItWasConfirmedFor)
{
    // A new selection in another window, while the run asks first and while
    // its worker asks about a file, reaches neither.
    MakeFiles({"X"}, FILE_ATTRIBUTE_SYSTEM);
    MakeFiles({"Y", "W"});
    auto command = Run({In("X"), In("W")});
    HWND box = WaitForConfirmation(kItemsCaption);
    sext::Ptr<IShellExtInit> other(sext::Bin().Handler(CLSID_SalvoraFileHandler, {In("Y")}));
    Answer(box, IDYES);
    box = WaitForConfirmation(kFileCaption);
    ASSERT_TRUE(box != NULL);
    other.Reset(sext::Bin().Handler(CLSID_SalvoraFileHandler, {In("Y")}));
    Answer(box, IDYES);
    ASSERT_TRUE(command->WaitDone());
    EXPECT_EQ((Listing{{"\\Y", 32}}), TreeOf(kArea));
}

}  // namespace
