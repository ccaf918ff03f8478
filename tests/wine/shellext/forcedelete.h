// What the tests of "&ForceDelete" share: the real DLL on real trees of the
// protected test drive D:, run on a shell thread of the test and driven
// through its dialogs, and judged by what the user is asked and shown, what
// is left on the disk, and the driver's log.
#ifndef SALVORA_TEST_FORCEDELETE_H
#define SALVORA_TEST_FORCEDELETE_H

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sext.h"
#include "support/files.h"
#include "support/hostside.h"
#include "support/standin.h"
#include "support/ui.h"

namespace forcedeletetest {

using sext::Command;

const std::string kArea = "D:\\FD";        // the trees the tests select from
const std::string kOutside = "D:\\FDOUT";  // never selected; links point here
const char kFileCaption[] = "Salvora: Confirm File ForceDelete";
const char kFolderCaption[] = "Salvora: Confirm Folder ForceDelete";
const char kItemsCaption[] = "Salvora: Confirm Multiple File ForceDelete";
const char kProgressCaption[] = "Salvora:  FORCE DELETE";
const int kMessage = 12295, kYesToAll = 12807;
const DWORD kProtected = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

inline std::string In(const std::string& relative) { return kArea + "\\" + relative; }

// Links are made and trees that hold them removed by the host: Win32 under
// Wine makes no link, and its RemoveDirectoryA on a link removes the folder
// it points to. rm does not follow a link.
inline std::string LinkCommand(const std::string& link, const std::string& target)
{
    return "ln -s " + host::Quote(host::PathOf(target)) + " " + host::Quote(host::PathOf(link)) + "\n";
}

inline bool RemoveTree(const std::string& path)
{
    std::string hostPath = host::PathOf(path);
    return !hostPath.empty() && host::Run("rm -rf " + host::Quote(hostPath));
}

inline std::string AskedAbout(const std::string& path)
{
    return "Are you sure you want to remove the read-only, hidden or system file '" + path +
           "' with ForceDelete?";
}

// Every entry under root with its attributes, links not entered; names in
// the order the file system lists them.
typedef std::vector<std::pair<std::string, DWORD>> Listing;

inline void ListTree(const std::string& root, const std::string& relative, Listing* out)
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

inline Listing TreeOf(const std::string& root)
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

inline std::string Stopped(const std::string& path, const std::string& why)
{
    return "ForceDelete stopped at '" + path + "':\n" + why + "\n\nThe items after it were left as they were.";
}
const char kInUse[] = "the item is in use, or access to it was denied.";
const char kLink[] = "the item is a link, and ForceDelete never follows or removes links.";
const char kUnreachable[] = "no name on this system leads to the item, or its path is too long.";

}  // namespace forcedeletetest

#endif
