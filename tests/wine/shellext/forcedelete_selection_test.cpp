// What each selection of "&ForceDelete" reaches (forcedelete.h): never
// through a link nor past a path buffer; each item of what Explorer, the
// Find window and other callers hand over, or a word on why not; and names
// of the Japanese edition whose second byte is a backslash.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/codepage932.h"

#include "forcedelete.h"

namespace {

using namespace forcedeletetest;

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
