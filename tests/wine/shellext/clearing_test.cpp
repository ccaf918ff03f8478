// The drive menu's "&Clear Trashcan" of the real DLL, run on a shell thread
// of the test and driven through its dialogs: what the user is asked and
// told, the files left in the Trashcans of the test drives, and the driver's
// log.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "progress/progressids.h"
#include "sext.h"
#include "tests/codepage932.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

using sext::Command;
using sext::Ptr;

const char kScan[] = "Salvora: Scanning for deleted files";
const char kRemoving[] = "Salvora: Removing deleted files";
const char kEmpty[] = "Right now there are no deleted files in the Salvora Trashcan of this drive!";
const char kCannotRemove[] = "Cannot remove a file from the Salvora Trashcan! Why??";

std::string Question(const char* count, const char* size, char drive)
{
    return std::string("Right now there are ") + count + " deleted files  (" + size +
           ")\nin the Salvora Trashcan of drive  " + drive +
           ":.\n\nAre you sure you want to remove all deleted files\nand free the occupied disk space?";
}

using files::InTrashcan;
using standin::Count;

class DriveClearing : public sext::FlowTest {
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        for (char drive : {'D', 'E'}) {
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
            ASSERT_TRUE(files::MakeDirs(files::Trashcan(drive)));
        }
        ASSERT_TRUE(standin::Protect('D'));
    }
    void TearDown() override
    {
        FlowTest::TearDown();
        for (char drive : {'D', 'E'})
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
    }

    std::unique_ptr<Command> Clear(char drive)
    {
        std::string root = std::string(1, drive) + ":\\";
        return std::unique_ptr<Command>(new Command(CLSID_SalvoraDriveHandler, {root}, 1));
    }

    void Fill(char drive, int count, DWORD size = 10)
    {
        for (int i = 1; i <= count; ++i)
            ASSERT_TRUE(files::MakeFile(InTrashcan(drive, "file" + std::to_string(i)), size));
        ASSERT_TRUE(files::MakeFile(InTrashcan(drive, "salvora.inf"), 10));
    }

    // D:'s Trashcan cleared with Yes to its question: every file goes, the
    // file kept in a folder of it stays, and the driver is told once.
    void ClearWithYes(const char* count, const char* size, const std::string& kept)
    {
        standin::TakeLog();
        auto command = Clear('D');
        ui::MessageBoxInfo box = WaitForBox("Salvora");
        EXPECT_EQ(Question(count, size, 'D'), box.text);
        ui::Dismiss(box.window, IDYES);
        ASSERT_TRUE(command->WaitDone());

        EXPECT_TRUE(files::List(files::Trashcan('D')).empty());
        EXPECT_TRUE(files::Exists(InTrashcan('D', kept)));
        EXPECT_EQ(1, Count(standin::TakeCodes(), 12));
    }

    ui::MessageBoxInfo WaitForBox(const char* caption)
    {
        ui::MessageBoxInfo box;
        EXPECT_TRUE(ui::WaitForMessageBox(&box, caption, ui::kWait, GetCurrentProcessId()));
        return box;
    }

    HWND WaitForDialog(const char* caption)
    {
        return ui::WaitForWindow("#32770", caption, ui::kWait, GetCurrentProcessId());
    }
};

TEST_F(DriveClearing, TheQuestionNamesTheFilesAndTheirSizeAndNoKeepsThem)
{
    struct Case {
        std::vector<unsigned long long> sizes;
        const char* count;
        const char* size;
    };
    const unsigned long long KB = 1024, GB = KB * KB * KB;
    const Case cases[] = {
        {{1000, 1000, 1000, 1000, 1000}, "5", "5 KByte"},
        {{1024 * KB}, "1", "1024 KByte"},
        {{1025 * KB}, "1", "2.00 MByte"},
        {{1536 * KB - 1, 1}, "2", "2.50 MByte"},
        {{3 * GB}, "1", "3.00 GByte"},
        // Beyond what 32 bits of bytes hold: still a size, never a negative one.
        {{5 * GB, 4 * GB + 1}, "2", "9.00 GByte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        files::RemoveTree(files::Trashcan('D'));
        ASSERT_TRUE(files::MakeDirs(files::Trashcan('D') + "\\folder"));
        for (size_t i = 0; i < c.sizes.size(); ++i)
            ASSERT_TRUE(files::MakeFile(InTrashcan('D', "f" + std::to_string(i)), c.sizes[i]));
        ASSERT_TRUE(files::MakeFile(InTrashcan('D', "salvora.inf"), 100000));
        std::vector<std::string> before = files::List(files::Trashcan('D'));
        standin::TakeLog();

        auto command = Clear('D');
        ui::MessageBoxInfo box = WaitForBox("Salvora");
        EXPECT_EQ(Question(c.count, c.size, 'D'), box.text);
        EXPECT_EQ((UINT)MB_ICONQUESTION, box.icon);
        EXPECT_EQ(NULL, GetWindow(box.window, GW_OWNER));
        ui::Dismiss(box.window, IDNO);
        ASSERT_TRUE(command->WaitDone());
        EXPECT_EQ(S_OK, command->Result());

        EXPECT_EQ(before, files::List(files::Trashcan('D')));
        std::vector<standin::Request> log = standin::TakeLog();
        std::vector<unsigned> codes;
        for (const standin::Request& r : log)
            codes.push_back(r.code);
        EXPECT_EQ(0, Count(codes, 12));
        // The drive's record was asked for as drive 4, a 32-bit number.
        EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const standin::Request& r) {
            return r.code == 7 && r.in == std::vector<unsigned char>{4, 0, 0, 0};
        }));
    }
}

TEST_F(DriveClearing, YesRemovesEveryFileThenTheIndexButNoFolder)
{
    Fill('D', 4);
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "read-only hidden system"), 10,
                                FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(files::MakeDirs(InTrashcan('D', "sub")));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "sub\\kept"), 10));
    ClearWithYes("5", "1 KByte", "sub\\kept");
}

TEST_F(DriveClearing, NothingToRemoveIsSaidSo)
{
    struct Case {
        const char* name;
        void (*arrange)();
    };
    const Case cases[] = {
        {"unprotected drive with files", [] {
             standin::Protect('D', false);
             files::MakeFile(InTrashcan('D', "deleted"), 10);
         }},
        {"empty Trashcan", [] {}},
        {"only folders and the index", [] {
             files::MakeDirs(InTrashcan('D', "sub"));
             files::MakeFile(InTrashcan('D', "sub\\x"), 10);
             files::MakeFile(InTrashcan('D', "SALVORA.INF"), 10);
         }},
        {"no Trashcan at all", [] { files::RemoveTree("D:\\RECYCLED"); }},
        {"no driver", [] {
             files::MakeFile(InTrashcan('D', "deleted"), 10);
             standin::SetAbsent(true);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(standin::Reset());
        ASSERT_TRUE(standin::Protect('D'));
        files::RemoveTree(files::Trashcan('D'));
        ASSERT_TRUE(files::MakeDirs(files::Trashcan('D')));
        // The shell found the drive protected and the driver present when
        // it built the menu; what the scan finds is the case's.
        Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {"D:\\"}));
        Ptr<IContextMenu> cm(init ? sext::Menu(init.get()) : NULL);
        ASSERT_TRUE(cm);
        c.arrange();
        std::vector<std::string> before = files::List(files::Trashcan('D'));

        std::thread shell([&] { sext::Invoke(cm.get(), MAKEINTRESOURCEA(1)); });
        ui::MessageBoxInfo box = WaitForBox(sext::kMessageCaption);
        EXPECT_EQ(kEmpty, box.text);
        EXPECT_EQ((UINT)MB_ICONEXCLAMATION, box.icon);
        ui::Dismiss(box.window);
        shell.join();
        EXPECT_EQ(before, files::List(files::Trashcan('D')));
        standin::SetAbsent(false);
        EXPECT_EQ(0, Count(standin::TakeCodes(), 12));
    }
}

TEST_F(DriveClearing, AFileInUseEndsTheRemovalAndKeepsTheIndex)
{
    Fill('D', 5);
    Hold(InTrashcan('D', "file3"), sext::kShareAll);
    standin::TakeLog();

    auto command = Clear('D');
    ui::Dismiss(WaitForBox("Salvora").window, IDYES);
    ui::MessageBoxInfo box = WaitForBox(sext::kMessageCaption);
    EXPECT_EQ(kCannotRemove, box.text);
    EXPECT_EQ(NULL, GetWindow(box.window, GW_OWNER));
    ui::Dismiss(box.window);
    ASSERT_TRUE(command->WaitDone());
    EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", sext::kMessageCaption, GetCurrentProcessId()));

    std::vector<std::string> left = files::List(files::Trashcan('D'));
    EXPECT_NE(left.end(), std::find(left.begin(), left.end(), "file3"));
    EXPECT_NE(left.end(), std::find(left.begin(), left.end(), "salvora.inf"));
    // The driver hears of the purge when something was removed before.
    EXPECT_EQ(left.size() < 6 ? 1 : 0, Count(standin::TakeCodes(), 12));
}

TEST_F(DriveClearing, CancelInTheScanOrTheRemoval)
{
    // The scan is held in the driver's answer when Cancel comes: nothing is
    // asked afterwards.
    Fill('D', 3);
    ASSERT_TRUE(standin::SetDelay(1000));
    auto scan = Clear('D');
    HWND dialog = WaitForDialog(kScan);
    ASSERT_TRUE(dialog != NULL);
    EXPECT_EQ(NULL, GetWindow(dialog, GW_OWNER));
    ui::ClickButton(dialog, IDCANCEL);
    ASSERT_TRUE(scan->WaitDone());
    EXPECT_TRUE(ui::WaitUntil([] { return sext::Bin().CanUnloadNow() == S_OK; }));
    EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", "Salvora", GetCurrentProcessId()));
    EXPECT_EQ(4u, files::List(files::Trashcan('D')).size());
    standin::SetDelay(0);

    // Cancel halfway through a long removal: the rest and the index stay,
    // and the driver still hears of the files that went.
    Fill('D', 1500);
    standin::TakeLog();
    auto removal = Clear('D');
    ui::Dismiss(WaitForBox("Salvora").window, IDYES);
    dialog = WaitForDialog(kRemoving);
    ASSERT_TRUE(dialog != NULL);
    EXPECT_EQ("Removing deleted files from the Salvora Trashcan...", ui::ControlText(dialog, 103));
    HWND bar = GetDlgItem(dialog, 104);
    ASSERT_TRUE(ui::WaitUntil([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) > 0; }));
    ui::ClickButton(dialog, IDCANCEL);
    ASSERT_TRUE(removal->WaitDone());
    EXPECT_TRUE(ui::WaitUntil([] { return sext::Bin().CanUnloadNow() == S_OK; }));
    std::vector<std::string> left = files::List(files::Trashcan('D'));
    EXPECT_GT(left.size(), 2u);
    EXPECT_NE(left.end(), std::find(left.begin(), left.end(), "salvora.inf"));
    EXPECT_EQ(1, Count(standin::TakeCodes(), 12));
}

// The texts the scan's drive line is given from the moment it is watched,
// on the thread that shows the scan.
std::vector<std::string> g_driveLines;
WNDPROC g_driveLineProc;

LRESULT CALLBACK RecordDriveLine(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && lParam)
        g_driveLines.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(g_driveLineProc, window, message, wParam, lParam);
}

void WatchDriveLine(HWND scan)
{
    HWND line = GetDlgItem(scan, IDC_PROGRESS_DRIVE);
    g_driveLines.clear();
    g_driveLineProc = (WNDPROC)SetWindowLongPtrA(line, GWLP_WNDPROC, (LONG_PTR)RecordDriveLine);
    std::string shown = ui::WindowText(line);
    if (!shown.empty() && g_driveLines.empty())
        g_driveLines.push_back(shown);
}

TEST_F(DriveClearing, OneFlowAtATimeOnItsOwnDriveAndTheDllStaysForItsWorker)
{
    // A new selection on another drive while the scan runs leaves the run on
    // the drive it was started for.
    Fill('D', 2);
    ASSERT_TRUE(standin::Protect('E'));
    Fill('E', 7);
    ASSERT_TRUE(standin::SetDelay(500));
    auto first = Clear('D');
    HWND scan = WaitForDialog(kScan);
    ASSERT_TRUE(scan != NULL);
    WatchDriveLine(scan);
    Ptr<IShellExtInit> other(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {"E:\\"}));
    ASSERT_TRUE(other);
    ui::MessageBoxInfo question = WaitForBox("Salvora");
    EXPECT_EQ(std::vector<std::string>{"Drive D:"}, g_driveLines);
    EXPECT_EQ(Question("2", "1 KByte", 'D'), question.text);
    standin::SetDelay(0);

    // A second command while the question is open starts nothing.
    standin::TakeLog();
    {
        auto second = Clear('E');
        ASSERT_TRUE(second->WaitDone());
    }
    EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", kScan, GetCurrentProcessId()));
    // The menu's own look at the drive, and no scan of it.
    EXPECT_EQ(1, Count(standin::TakeCodes(), 7));

    // A worker held by its failure message outlives its cancelled dialog
    // and every object: the DLL stays, and the next flow waits for it.
    Hold(InTrashcan('D', "file1"), sext::kShareAll);
    Hold(InTrashcan('D', "file2"), sext::kShareAll);
    ui::Dismiss(question.window, IDYES);
    ui::MessageBoxInfo failure = WaitForBox(sext::kMessageCaption);
    HWND removal = WaitForDialog(kRemoving);
    ASSERT_TRUE(removal != NULL);
    ui::ClickButton(removal, IDCANCEL);
    ASSERT_TRUE(first->WaitDone());
    other.Reset();
    EXPECT_EQ(S_FALSE, sext::Bin().CanUnloadNow());

    standin::TakeLog();
    auto next = Clear('E');
    // The command has reached the flow once its menu has looked at the
    // drive; while the worker lives, no scan asks the driver or shows.
    standin::Codes codes;
    ASSERT_TRUE(codes.WaitFor(7));
    EXPECT_EQ(NULL, ui::FindVisibleWindow("#32770", kScan, GetCurrentProcessId()));
    EXPECT_EQ(1, codes.Count(7));
    ui::Dismiss(failure.window);
    question = WaitForBox("Salvora");
    EXPECT_EQ(Question("7", "1 KByte", 'E'), question.text);
    ui::Dismiss(question.window, IDNO);
    ASSERT_TRUE(next->WaitDone());
    EXPECT_EQ(S_OK, sext::Bin().CanUnloadNow());
    EXPECT_EQ(3u, files::List(files::Trashcan('D')).size());
    EXPECT_EQ(8u, files::List(files::Trashcan('E')).size());
}

BOOL CALLBACK KeepPage(HPROPSHEETPAGE page, LPARAM kept)
{
    *reinterpret_cast<HPROPSHEETPAGE*>(kept) = page;
    return TRUE;
}

TEST_F(DriveClearing, APageClosedLongAgoOwnsNoDialog)
{
    // The drive page, opened and closed on the shell's thread, leaves its
    // window behind as the owner of the flows' dialogs.
    std::thread([] {
        Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {"D:\\"}));
        Ptr<IShellPropSheetExt> ext(init ? sext::Sheet(init.get()) : NULL);
        HPROPSHEETPAGE page = NULL;
        if (ext)
            ext->AddPages(KeepPage, reinterpret_cast<LPARAM>(&page));
        PROPSHEETHEADERA header = {};
        header.dwSize = PROPSHEETHEADERA_V1_SIZE;
        header.dwFlags = PSH_MODELESS;
        header.nPages = 1;
        header.phpage = &page;
        HWND sheet = page ? (HWND)PropertySheetA(&header) : NULL;
        EXPECT_TRUE(sheet != NULL);
        DestroyWindow(sheet);
    }).join();

    Fill('D', 1);
    ASSERT_TRUE(standin::SetDelay(500));
    auto command = Clear('D');
    HWND scan = WaitForDialog(kScan);
    ASSERT_TRUE(scan != NULL);
    EXPECT_EQ(NULL, GetWindow(scan, GW_OWNER));
    standin::SetDelay(0);
    ui::Dismiss(WaitForBox("Salvora").window, IDNO);
    ASSERT_TRUE(command->WaitDone());
}

// The Japanese edition (code page 932): a deleted file's name may end in a
// character whose second byte is '\' (0x5C) or '|', and begin with one whose
// second byte reads as the first letter of "salvora.inf".
class DriveClearingOnCodePage932 : public DriveClearing {
protected:
    void SetUp() override
    {
        ASSERT_EQ(932u, GetACP()) << "run under SALVORA_ANSI_CODEPAGE=932 (scripts/wine-run)";
        DriveClearing::SetUp();
    }
};

TEST_F(DriveClearingOnCodePage932, NamesWithSecondByteSeparatorsGoLikeAnyOther)
{
    for (const char* name :
         {SJIS_HYO, SJIS_SO ".txt", "a" SJIS_PIPE, SJIS_HYO SJIS_HYO, "\x83" "salvora.inf"})
        ASSERT_TRUE(files::MakeFile(InTrashcan('D', name), 300));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "salvora.inf"), 10));
    ASSERT_TRUE(files::MakeDirs(InTrashcan('D', SJIS_HYO "dir")));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', SJIS_HYO "dir\\" SJIS_SO), 10));
    ClearWithYes("5", "2 KByte", SJIS_HYO "dir\\" SJIS_SO);
}

}  // namespace
