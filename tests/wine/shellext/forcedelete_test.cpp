// "&ForceDelete" of the real DLL on real trees of the protected test drive
// D:, run on a shell thread of the test and driven through its dialogs: what
// the user is asked and shown, what is left on the disk, and the driver's
// log.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sext.h"
#include "tests/codepage932.h"
#include "support/files.h"
#include "support/hostside.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

using sext::Command;

const std::string kArea = "D:\\FD";        // the trees the tests select from
const std::string kOutside = "D:\\FDOUT";  // never selected; links point here
const char kFileCaption[] = "Salvora: Confirm File ForceDelete";
const char kFolderCaption[] = "Salvora: Confirm Folder ForceDelete";
const char kItemsCaption[] = "Salvora: Confirm Multiple File ForceDelete";
const char kProgressCaption[] = "Salvora:  FORCE DELETE";
const int kMessage = 12295, kYesToAll = 12807;
const DWORD kProtected = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

std::string In(const std::string& relative) { return kArea + "\\" + relative; }

// Links are made and trees that hold them removed by the host: Win32 under
// Wine makes no link, and its RemoveDirectoryA on a link removes the folder
// it points to. rm does not follow a link.
std::string LinkCommand(const std::string& link, const std::string& target)
{
    return "ln -s " + host::Quote(host::PathOf(target)) + " " + host::Quote(host::PathOf(link)) + "\n";
}

bool RemoveTree(const std::string& path)
{
    std::string hostPath = host::PathOf(path);
    return !hostPath.empty() && host::Run("rm -rf " + host::Quote(hostPath));
}

std::string AskedAbout(const std::string& path)
{
    return "Are you sure you want to remove the read-only, hidden or system file '" + path +
           "' with ForceDelete?";
}

// Every entry under root with its attributes, links not entered; names in
// the order the file system lists them.
typedef std::vector<std::pair<std::string, DWORD>> Listing;

void ListTree(const std::string& root, const std::string& relative, Listing* out)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((root + relative + "\\*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        out->push_back({relative + "\\" + name, entry.dwFileAttributes});
        if ((entry.dwFileAttributes & 0x410) == FILE_ATTRIBUTE_DIRECTORY)
            ListTree(root, relative + "\\" + name, out);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

Listing TreeOf(const std::string& root)
{
    Listing out;
    ListTree(root, "", &out);
    return out;
}

class ForceDelete : public sext::FlowTest {
protected:
    void SetUp() override
    {
        FlowTest::SetUp();
        ASSERT_TRUE(standin::Protect('D'));
        for (const std::string& dir : {kArea, kOutside}) {
            ASSERT_TRUE(RemoveTree(dir));
            ASSERT_TRUE(files::MakeDirs(dir));
        }
        FreshLog();
    }
    void FreshLog() { requests_.Clear(); }
    void TearDown() override
    {
        FlowTest::TearDown();
        RemoveTree(kArea);
        RemoveTree(kOutside);
    }

    // The command as the shell runs it for the clicked (first) item.
    std::unique_ptr<Command> Run(const std::vector<std::string>& paths)
    {
        DWORD first = GetFileAttributesA(paths[0].c_str());
        bool folder = first != INVALID_FILE_ATTRIBUTES && (first & FILE_ATTRIBUTE_DIRECTORY);
        return std::unique_ptr<Command>(
            new Command(folder ? CLSID_SalvoraFolderHandler : CLSID_SalvoraFileHandler, paths, 0));
    }

    // A dialog of this process once its message is filled in.
    HWND WaitForConfirmation(const char* caption)
    {
        HWND found = NULL;
        ui::WaitUntil([&] {
            found = ui::FindVisibleWindow("#32770", caption, GetCurrentProcessId());
            return found && !ui::ControlText(found, kMessage).empty();
        });
        return found;
    }
    HWND Progress() { return ui::FindVisibleWindow("#32770", kProgressCaption, GetCurrentProcessId()); }

    void Answer(HWND dialog, int button)
    {
        ui::ClickButton(dialog, button);
        ASSERT_TRUE(ui::WaitGone(dialog));
    }

    // The first confirmation, answered Yes.
    void Confirm(const char* caption = kFileCaption)
    {
        HWND dialog = WaitForConfirmation(caption);
        ASSERT_TRUE(dialog != NULL);
        Answer(dialog, IDYES);
    }

    // Opened without delete sharing, as a program that uses it would; with
    // it, Wine deletes the file from under its user as Windows 95 does.
    void Hold(const std::string& path, DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE)
    {
        FlowTest::Hold(path, sharing);
    }

    // Suspend once, then resume once, and nothing else of the two.
    bool SuspendedThenResumed()
    {
        const std::vector<unsigned> codes = requests_.Take();
        auto suspend = std::find(codes.begin(), codes.end(), 8u);
        auto resume = std::find(codes.begin(), codes.end(), 9u);
        return standin::Count(codes, 8) == 1 && standin::Count(codes, 9) == 1 && suspend < resume;
    }

    void MakeFiles(const std::vector<std::string>& relatives, DWORD attributes = 0)
    {
        for (const std::string& relative : relatives) {
            std::string folder = files::Parent(relative);
            if (!folder.empty()) {
                ASSERT_TRUE(files::MakeDirs(In(folder)));
            }
            ASSERT_TRUE(files::MakeFile(In(relative), 10, attributes));
        }
    }

    // The message a run shows when it stopped short of its selection, or
    // when it refused one: its text, after OK; "" when none came.
    std::string MessageAfter(Command* command)
    {
        ui::MessageBoxInfo box;
        bool shown = false;
        EXPECT_TRUE(ui::WaitUntil([&] {
            if (command->WaitDone(0))
                return true;
            shown = ui::WaitForMessageBox(&box, sext::kMessageCaption, 0, GetCurrentProcessId());
            return shown;
        }));
        if (!shown)
            return "";
        EXPECT_EQ((UINT)MB_ICONEXCLAMATION, box.icon);
        EXPECT_EQ(NULL, GetWindow(box.window, GW_OWNER));
        EXPECT_TRUE(ui::Dismiss(box.window));
        return box.text;
    }

    standin::Codes requests_;
};

std::string Stopped(const std::string& path, const std::string& why)
{
    return "ForceDelete stopped at '" + path + "':\n" + why + "\n\nThe items after it were left as they were.";
}
const char kInUse[] = "the item is in use, or access to it was denied.";
const char kLink[] = "the item is a link, and ForceDelete never follows or removes links.";
const char kUnreachable[] = "no name on this system leads to the item, or its path is too long.";

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

TEST_F(ForceDelete, NeverThroughALinkNorPastAPathBuffer)
{
    // A selected link: the walk ends before it, its folder stays whole.
    ASSERT_TRUE(files::MakeDirs(kOutside + "\\T"));
    ASSERT_TRUE(files::MakeFile(kOutside + "\\T\\kept", 5));
    ASSERT_TRUE(host::Run(LinkCommand(In("link"), kOutside + "\\T")));
    MakeFiles({"after\\x"});
    auto command = Run({In("link"), In("after")});
    Confirm(kItemsCaption);
    EXPECT_EQ(Stopped(In("link"), kLink), MessageAfter(command.get()));
    ASSERT_TRUE(command->WaitDone());
    EXPECT_EQ((Listing{{"\\T", 16}, {"\\T\\kept", 32}}), TreeOf(kOutside));
    EXPECT_TRUE(files::Exists(In("after\\x")));
    EXPECT_TRUE(SuspendedThenResumed());
    ASSERT_TRUE(RemoveTree(In("link")) && RemoveTree(In("after")));

    // Deeper than a path buffer: long names are reached through their
    // short names; what no name can reach ends the walk, as does a folder
    // whose listing pattern would not fit.
    auto wide = [](const std::string& path) { return L"\\\\?\\" + std::wstring(path.begin(), path.end()); };
    auto dir = [&](const std::string& path) { return CreateDirectoryW(wide(path).c_str(), NULL) != FALSE; };
    auto file = [&](const std::string& path) {
        HANDLE h = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        return h != INVALID_HANDLE_VALUE && CloseHandle(h);
    };
    auto exists = [&](const std::string& path) {
        return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    std::string deep = In(std::string(200, 'a')), deeper = deep + "\\" + std::string(100, 'b');
    // 253 characters: "\0first" fits, no 8.3 name of "averylongname" does.
    std::string blocked = In(std::string(247, 'c')), unreachable = blocked + "\\averylongname";
    std::string unlistable = In(std::string(254, 'd'));   // 260 characters
    ASSERT_TRUE(dir(deep) && dir(deeper) && file(deeper + "\\f") && dir(blocked) && file(blocked + "\\0first") &&
                dir(unreachable) && file(unreachable + "\\x") && dir(unlistable) && file(unlistable + "\\x"));
    command = Run({deep, blocked, unlistable});
    Confirm(kItemsCaption);
    // The name that no name reaches does not fit beside its folder either.
    EXPECT_EQ(Stopped(blocked, kUnreachable), MessageAfter(command.get()));
    ASSERT_TRUE(command->WaitDone());
    EXPECT_FALSE(exists(deep));
    EXPECT_FALSE(exists(blocked + "\\0first"));
    EXPECT_TRUE(exists(unreachable + "\\x"));
    EXPECT_TRUE(exists(unlistable + "\\x"));

    command = Run({unlistable});
    HWND box = WaitForConfirmation(kFolderCaption);
    ASSERT_TRUE(box != NULL);
    EXPECT_NE(std::string::npos, ui::ControlText(box, kMessage).find("'" + unlistable + "'"));
    Answer(box, IDYES);
    EXPECT_EQ(Stopped(unlistable, kUnreachable), MessageAfter(command.get()));
    ASSERT_TRUE(command->WaitDone());
    EXPECT_TRUE(exists(unlistable + "\\x"));
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

// What Explorer, the Find window, disks of other systems and other callers
// hand over: each selection acts on its own items only, or says why not.
TEST_F(ForceDelete, EachSelectionActsOnItsOwnItemsOrSaysWhy)
{
    const std::string trashcan = files::Trashcan('D');
    const std::string refusedTrashcan =
        "' belongs to the Salvora Trashcan, which ForceDelete does not remove.\n\nTo empty the Trashcan, use "
        "\"Clear Trashcan\" on the drive's context menu. Nothing was deleted.";
    const struct {
        const char* what;
        const char* make;                     // host commands in kArea
        std::vector<std::string> selection;   // in kArea, or whole paths
        const char* hold;                     // a file kept open meanwhile
        const char* caption;                  // of the confirmation; null: refused before it
        std::string asks;                     // what its message names
        std::vector<std::string> left;        // what stays in kArea
        std::string message;                  // after the run; "" for none
    } cases[] = {
        {"a folder beside its twin without the dot", "mkdir x. x && touch x/precious x./gone", {"x."}, nullptr,
         kFolderCaption, "'" + In("x.") + "'", {"\\x", "\\x\\precious"}, ""},
        {"a file beside its twin without the blank", "touch f 'f '", {"f "}, nullptr, kFileCaption,
         "'" + In("f ") + "'", {"\\f"}, ""},
        {"a folder, a file inside it, the same file twice", "mkdir A B && touch A/x.txt B/y c.txt",
         {"A", "A\\x.txt", "B", "c.txt", "c.txt"}, nullptr, kItemsCaption, "these 5 items", {}, ""},
        {"spelt the long way round", "mkdir -p A/B && touch A/B/y", {"A\\.\\B\\..\\\\B//y"}, nullptr,
         kFileCaption, "'" + In("A\\B\\y") + "'", {"\\A", "\\A\\B"}, ""},
        {"a file in use mid-selection", "touch a b c", {"a", "b", "c"}, "b", kItemsCaption, "these 3 items",
         {"\\b", "\\c"}, Stopped(In("b"), kInUse)},
        // Names the code page cannot show list alike, and so do twins in
        // case alone: the name says nothing of which one was selected.
        {"one of two names outside the code page", "touch b \xE6\x97\xA5\xE6\x9C\xAC.txt \xE4\xB8\xAD\xE6\x96\x87.txt",
         {"b", "??.txt"}, nullptr, kItemsCaption, "these 2 items", {"\\??.txt", "\\??.txt"},
         Stopped(In("??.txt"), kUnreachable)},
        {"one of two twins in case alone", "touch b a.txt A.TXT", {"b", "a.txt"}, nullptr, kItemsCaption,
         "these 2 items", {"\\A.TXT", "\\a.txt"}, Stopped(In("a.txt"), kUnreachable)},
        {"a drive beside an item", "touch a", {"a", "D:\\FD\\.."}, nullptr, nullptr, "", {"\\a"},
         "'D:\\' is a whole drive. ForceDelete does not remove drives.\n\nNothing was deleted."},
        {"the Trashcan", "touch a", {"a", trashcan}, nullptr, nullptr, "", {"\\a"}, "'" + trashcan + refusedTrashcan},
        {"its index file", "", {trashcan + "\\salvora.inf"}, nullptr, nullptr, "", {},
         "'" + trashcan + "\\salvora.inf" + refusedTrashcan},
        {"the folder around it", "", {"D:\\recycled\\"}, nullptr, nullptr, "", {},
         "'D:\\recycled" + refusedTrashcan},
    };
    ASSERT_TRUE(files::MakeDirs(trashcan));
    ASSERT_TRUE(files::MakeFile(trashcan + "\\salvora.inf", 8) && files::MakeFile(trashcan + "\\deleted", 8));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(RemoveTree(kArea) && files::MakeDirs(kArea));
        ASSERT_TRUE(host::Run(std::string("cd ") + host::Quote(host::PathOf(kArea)) + " && true " + (*c.make ? "&& " : "") +
                              c.make));
        std::vector<std::string> paths;
        for (const std::string& p : c.selection)
            paths.push_back(p.size() > 1 && p[1] == ':' ? p : In(p));
        if (c.hold)
            Hold(In(c.hold));
        FreshLog();

        auto command = Run(paths);
        if (c.caption) {
            HWND box = WaitForConfirmation(c.caption);
            ASSERT_TRUE(box != NULL);
            EXPECT_NE(std::string::npos, ui::ControlText(box, kMessage).find(c.asks)) << ui::ControlText(box, kMessage);
            Answer(box, IDYES);
        }
        EXPECT_EQ(c.message, MessageAfter(command.get()));
        ASSERT_TRUE(command->WaitDone());
        std::vector<std::string> left;
        for (const auto& entry : TreeOf(kArea))
            left.push_back(entry.first);
        EXPECT_EQ(c.left, left);
        EXPECT_EQ(c.caption ? 1 : 0, requests_.Count(8));
        EXPECT_EQ(0, requests_.Count(12));
        LetGo();
    }
    EXPECT_EQ((std::vector<std::string>{"deleted", "salvora.inf"}), files::List(trashcan));
    ASSERT_TRUE(RemoveTree("D:\\RECYCLED"));

    // Every spelling of a drive root is the drive's, never a folder's or a
    // file's to force-delete.
    ASSERT_TRUE(standin::Protect('E'));
    for (const char* root : {"E:", "E:\\.", "E:\\keepme\\..", "E:/", "E:\\"}) {
        for (const GUID* handler : {&CLSID_SalvoraFolderHandler, &CLSID_SalvoraFileHandler}) {
            sext::Ptr<IShellExtInit> init(sext::Bin().Handler(*handler, {root}));
            ASSERT_TRUE(init);
            HRESULT hr = S_OK;
            sext::Ptr<IContextMenu> cm(sext::Menu(init.get(), &hr));
            EXPECT_EQ(E_NOINTERFACE, hr) << root;
        }
        sext::Ptr<IShellExtInit> drive(sext::Bin().Handler(CLSID_SalvoraDriveHandler, {root}));
        sext::Ptr<IContextMenu> cm(drive ? sext::Menu(drive.get()) : NULL);
        EXPECT_TRUE(cm) << root;
    }
}

// --- the property: random trees, selections and answers ---------------------

// CancelRun is the progress dialog's Cancel while the file is asked about.
enum class Reply { Yes, YesToAll, No, Cancel, CancelRun };

struct Node {
    std::string path;                 // relative to kArea
    enum { File, Folder, Link } kind;
    DWORD attributes;                 // as read back after they were set
    std::vector<Node> children;       // in the order they are listed
};

// The case: a tree under kArea, folders under kOutside that links point to,
// a selection of the tree's top items in some order, and what the user
// answers to each file confirmation.
struct Case {
    std::mt19937 random;
    std::vector<Node> top;
    std::vector<std::string> outsideFolders;
    std::string links;          // the host's commands that make them
    std::string description;

    explicit Case(unsigned seed) : random(seed) {}
    unsigned Pick(unsigned n) { return random() % n; }

    void MakeOutside()
    {
        for (int i = 0; i < 3; ++i) {
            std::string dir = kOutside + "\\T" + std::to_string(i);
            ASSERT_TRUE(files::MakeDirs(dir));
            // One target stays empty: a removal through a link would take it.
            if (i > 0) {
                ASSERT_TRUE(files::MakeFile(dir + "\\kept " + std::to_string(i) + ".txt", 5));
            }
            outsideFolders.push_back(dir);
        }
    }

    void Make(const std::string& dir, int depth, int* serial)
    {
        static const char* const pieces[] = {"a", "b b", "c.d", "x.y.z", "New Folder", "read me.txt",
                                             "v1.2", " lead"};
        int entries = depth == 0 ? 2 + (int)Pick(5) : (int)Pick(5);
        for (int i = 0; i < entries; ++i) {
            std::string relative = dir + (dir.empty() ? "" : "\\") + pieces[Pick(8)] + std::to_string(++*serial);
            unsigned kind = depth < 3 ? Pick(24) : Pick(12);
            if (kind < 11) {
                // Files: some read-only, hidden or system, in any mix.
                DWORD attributes = Pick(5) < 3 ? 0 : 1 + Pick(7);
                ASSERT_TRUE(files::MakeFile(In(relative), Pick(100), attributes));
                description += "  file " + relative + " " + std::to_string(attributes) + "\n";
            } else if (kind < 12) {
                links += LinkCommand(In(relative), outsideFolders[Pick(3)]);
                description += "  link " + relative + "\n";
            } else {
                ASSERT_TRUE(files::MakeDirs(In(relative)));
                description += "  folder " + relative + "\n";
                Make(relative, depth + 1, serial);
                // Hidden or system folders; a read-only folder is, under Wine,
                // a Unix folder without write permission, which only root
                // could empty.
                if (Pick(3) == 0) {
                    ASSERT_TRUE(SetFileAttributesA(In(relative).c_str(), 2 + 2 * Pick(2)));
                }
            }
        }
    }

    static std::vector<Node> Read(const std::string& relative)
    {
        std::vector<Node> nodes;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((kArea + relative + "\\*.*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE)
            return nodes;
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            Node node{(relative.empty() ? "" : relative.substr(1) + "\\") + name, Node::File,
                      entry.dwFileAttributes, {}};
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                node.kind = Node::Link;
            else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                node.kind = Node::Folder;
            if (node.kind == Node::Folder)
                node.children = Read(relative + "\\" + name);
            nodes.push_back(node);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        return nodes;
    }
};

// What must happen, worked out from the tree, the selection and the
// answers alone: the files asked about (with the dialog that asks), the
// entries that go, and whether a Cancel in a file confirmation leaves the
// progress dialog for its own Cancel.
struct Model {
    explicit Model(Case* theCase) : c(theCase) {}
    Case* c;
    std::vector<Reply> replies;
    long total = 0;
    bool walkOK = true, cancelled = false, yesToAll = false;
    std::vector<std::pair<std::string, bool>> asked;   // path, with "Yes to all"
    std::vector<std::string> gone;
    std::string linkStop;   // the link the walk ended at, which the run names

    bool Gone(const Node& node) const
    {
        return std::find(gone.begin(), gone.end(), node.path) != gone.end();
    }

    static long Count(const Node& node)
    {
        long n = 1;
        for (const Node& child : node.children)
            n += Count(child);
        return n;
    }

    bool Going() const { return walkOK && !cancelled; }

    // True when the file is gone.
    void File(const Node& node)
    {
        if ((node.attributes & kProtected) && !yesToAll) {
            // Yes, Yes to all, No, Cancel; with Yes and No alone, Escape
            // stands for Cancel.
            bool fourButtons = total > 1;
            unsigned r = c->Pick(20);
            Reply reply = r < 7 ? Reply::Yes : r < 11 ? Reply::YesToAll : r < 16 ? Reply::No
                                                                         : r < 18 ? Reply::Cancel : Reply::CancelRun;
            if (!fourButtons && reply == Reply::YesToAll)
                reply = Reply::Yes;
            asked.push_back({In(node.path), fourButtons});
            replies.push_back(reply);
            if (reply == Reply::Cancel || reply == Reply::CancelRun) {
                cancelled = true;
                return;
            }
            if (reply == Reply::No)
                return;
            yesToAll = yesToAll || reply == Reply::YesToAll;
        }
        gone.push_back(node.path);
    }

    // True when the folder and all of it went.
    bool Walk(const Node& node)
    {
        // Selected again, or inside an item selected before: done already.
        if (Gone(node))
            return true;
        if (node.kind == Node::Link) {
            walkOK = false;
            linkStop = In(node.path);
            return false;
        }
        if (node.kind == Node::File) {
            size_t before = gone.size();
            File(node);
            return gone.size() > before;
        }
        bool empty = true;
        for (const Node& child : node.children) {
            if (!Going())
                break;
            empty = Walk(child) && empty;
        }
        if (!Going())
            return false;
        // A file kept inside keeps the folder, and the walk ends there.
        walkOK = empty;
        if (walkOK)
            gone.push_back(node.path);
        return walkOK;
    }

    void Run(const std::vector<const Node*>& selection)
    {
        for (const Node* node : selection)
            total += node->kind == Node::Folder ? Count(*node) : 1;
        for (const Node* node : selection) {
            if (!Going())
                break;
            Walk(*node);
        }
    }
};

TEST_F(ForceDelete, RandomTreesSelectionsAndAnswers)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SetUp();
        Case c(seed);
        c.MakeOutside();
        int serial = 0;
        c.Make("", 0, &serial);
        if (HasFatalFailure() || (!c.links.empty() && !host::Run(c.links)))
            FAIL() << "seed " << seed << ": the tree cannot be made";
        std::vector<Node> top = Case::Read("");
        // Some of the top items, in any order: the shell's selection. The
        // Find window adds items inside them too, and an item may come twice.
        std::vector<const Node*> selection, inner;
        for (const Node& node : top)
            if (c.Pick(3) != 0 || selection.empty())
                selection.push_back(&node);
        for (const Node& node : top)
            for (const Node& child : node.children)
                if (child.kind != Node::Link && c.Pick(4) == 0)
                    inner.push_back(&child);
        selection.insert(selection.end(), inner.begin(), inner.end());
        if (c.Pick(4) == 0)
            selection.push_back(selection[c.Pick((unsigned)selection.size())]);
        std::shuffle(selection.begin(), selection.end(), c.random);
        std::vector<std::string> paths;
        for (const Node* node : selection)
            paths.push_back(In(node->path));

        Listing before = TreeOf(kArea), outside = TreeOf(kOutside);
        Model model(&c);
        model.Run(selection);
        std::ostringstream trace;
        trace << "seed " << seed << "\n" << c.description << "  selected";
        for (const std::string& p : paths)
            trace << " [" << p << "]";
        SCOPED_TRACE(trace.str());

        auto command = Run(paths);
        Confirm(paths.size() > 1 ? kItemsCaption : selection[0]->kind == Node::File ? kFileCaption
                                                                                    : kFolderCaption);
        for (size_t i = 0; i < model.asked.size(); ++i) {
            HWND box = WaitForConfirmation(kFileCaption);
            ASSERT_TRUE(box != NULL) << "file confirmation " << i;
            EXPECT_EQ(AskedAbout(model.asked[i].first), ui::ControlText(box, kMessage));
            EXPECT_EQ(model.asked[i].second, GetDlgItem(box, kYesToAll) != NULL);
            // Tracking is off while the walk waits for the user.
            EXPECT_EQ(1, requests_.Count(8));
            EXPECT_EQ(0, requests_.Count(9));
            if (model.replies[i] == Reply::CancelRun) {
                // The question goes with the run, which resumes tracking.
                ui::ClickButton(Progress(), IDCANCEL);
                ASSERT_TRUE(ui::WaitGone(box));
                break;
            }
            static const int buttons[] = {IDYES, kYesToAll, IDNO, IDCANCEL};
            Answer(box, buttons[(int)model.replies[i]]);
        }
        // A Cancel in a file confirmation closed the progress dialog too;
        // a link the walk ended at is named.
        EXPECT_EQ(model.linkStop.empty() ? "" : Stopped(model.linkStop, kLink), MessageAfter(command.get()));
        ASSERT_TRUE(command->WaitDone());
        command.reset();
        ASSERT_TRUE(ui::WaitUntil([] { return sext::Bin().CanUnloadNow() == S_OK; }));

        Listing expected;
        for (const auto& entry : before)
            if (std::find(model.gone.begin(), model.gone.end(), entry.first.substr(1)) == model.gone.end())
                expected.push_back(entry);
        EXPECT_EQ(expected, TreeOf(kArea));
        EXPECT_EQ(outside, TreeOf(kOutside));
        EXPECT_TRUE(SuspendedThenResumed());
        TearDown();
        if (HasFailure())
            break;
    }
}

// The Japanese edition (code page 932), where "表" is 0x95 0x5C: read byte
// by byte, its name ends in a separator. The selection would be cut to its
// first byte alone, which Windows reads as the folder around it, and its
// listing "表*.*" would find "表示" beside it.
class ForceDeleteOnCodePage932 : public ForceDelete {
protected:
    void SetUp() override
    {
        ASSERT_EQ(932u, GetACP()) << "run under SALVORA_ANSI_CODEPAGE=932 (scripts/wine-run)";
        ForceDelete::SetUp();
    }
};

TEST_F(ForceDeleteOnCodePage932, ANameEndingInABackslashByteIsTheItemDeleted)
{
    const std::string hyoji = SJIS_HYO "\x8e\xa6";
    MakeFiles({SJIS_HYO "\\" SJIS_SO, SJIS_HYO "\\" SJIS_PIPE ".txt", SJIS_HYO "\\" SJIS_SO SJIS_HYO "\\x",
               hyoji + "\\keep", SJIS_SO, "other"});
    const struct {
        std::vector<std::string> selected;
        const char* caption;
    } runs[] = {
        {{In(SJIS_HYO)}, kFolderCaption},
        {{In(SJIS_SO), In(SJIS_HYO)}, kItemsCaption},   // the folder gone already
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.selected[0]);
        Listing before = TreeOf(kArea);
        FreshLog();
        auto command = Run(run.selected);
        HWND box = WaitForConfirmation(run.caption);
        ASSERT_TRUE(box != NULL);
        if (run.selected.size() == 1) {
            EXPECT_NE(std::string::npos, ui::ControlText(box, kMessage).find("'" + In(SJIS_HYO) + "'"));
        }
        Answer(box, IDYES);
        EXPECT_EQ("", MessageAfter(command.get()));
        ASSERT_TRUE(command->WaitDone());

        Listing expected;
        for (const auto& entry : before) {
            bool selected = false;
            for (const std::string& path : run.selected) {
                std::string relative = path.substr(kArea.size());
                selected = selected || entry.first == relative || entry.first.rfind(relative + "\\", 0) == 0;
            }
            if (!selected)
                expected.push_back(entry);
        }
        EXPECT_EQ(expected, TreeOf(kArea));
        EXPECT_TRUE(SuspendedThenResumed());
    }
    Listing left = TreeOf(kArea);
    std::sort(left.begin(), left.end());
    EXPECT_EQ((Listing{{"\\other", 32}, {"\\" + hyoji, 16}, {"\\" + hyoji + "\\keep", 32}}), left);
}

}  // namespace
