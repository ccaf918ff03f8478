// The handlers' decisions: companions, menu items, verbs, help texts and the
// undelete program's parameters.
#include <gtest/gtest.h>

#include <string>

#include "shellext/decisions.h"
#include "shellext/resource.h"

namespace {

const HandlerKind kDrive = HandlerKind::Drive;
const HandlerKind kFolder = HandlerKind::Folder;
const HandlerKind kFile = HandlerKind::File;
const CompanionKind kMenu = CompanionKind::ContextMenu;
const CompanionKind kSheet = CompanionKind::PropertySheet;
const CompanionRule kRefused = CompanionRule::Refused;
const CompanionRule kAccepted = CompanionRule::Accepted;
const CompanionRule kIfProtected = CompanionRule::NeedsProtectedDrive;

TEST(DriveNumber, UpperCaseLettersOnly)
{
    EXPECT_EQ(1, DriveNumberOfPath("A:\\"));
    EXPECT_EQ(4, DriveNumberOfPath("D:\\DATA\\X.TXT"));
    EXPECT_EQ(26, DriveNumberOfPath("Z:"));
    // Anything else has no slot in a 26-drive table and reads as no drive.
    EXPECT_EQ(0, DriveNumberOfPath("c:\\"));
    EXPECT_EQ(0, DriveNumberOfPath("@:\\"));
    EXPECT_EQ(0, DriveNumberOfPath("[:\\"));
    EXPECT_EQ(0, DriveNumberOfPath("\\\\server\\share"));
    EXPECT_EQ(0, DriveNumberOfPath("\xC4:\\"));
    EXPECT_EQ(0, DriveNumberOfPath(""));
    EXPECT_EQ(0, DriveNumberOfPath(nullptr));
}

TEST(Companions, EachHandlersRule)
{
    const struct {
        HandlerKind handler;
        CompanionKind companion;
        int32_t count;
        size_t firstPathLength;
        CompanionRule rule;
    } cases[] = {
        // The drive handler: one drive; the menu only when it is protected.
        {kDrive, kMenu, 1, 3, kIfProtected},
        {kDrive, kSheet, 1, 3, kAccepted},
        {kDrive, kMenu, 2, 3, kRefused},
        {kDrive, kSheet, 2, 3, kRefused},
        // The folder handler: any number of folders, but no drive root.
        {kFolder, kMenu, 1, 7, kIfProtected},
        {kFolder, kMenu, 5, 7, kIfProtected},
        {kFolder, kMenu, 1, 3, kRefused},
        {kFolder, kMenu, 1, 4, kIfProtected},
        {kFolder, kSheet, 1, 7, kRefused},
        // The file handler: the first file decides; a drive root (the
        // canonical spelling of "E:" or "E:\\.") is no file.
        {kFile, kMenu, 3, 12, kIfProtected},
        {kFile, kMenu, 1, 3, kRefused},
        {kFile, kSheet, 1, 12, kRefused},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.rule, DecideCompanion(c.handler, c.companion, c.count, c.firstPathLength, 4))
            << (int)c.handler << "/" << (int)c.companion << " count " << c.count << " length "
            << c.firstPathLength;
}

TEST(Companions, NothingWithoutASelectionOnADrive)
{
    for (HandlerKind h : {kDrive, kFolder, kFile}) {
        for (CompanionKind c : {kMenu, kSheet}) {
            EXPECT_EQ(kRefused, DecideCompanion(h, c, 0, 3, 4));
            EXPECT_EQ(kRefused, DecideCompanion(h, c, -1, 3, 4));
        }
        EXPECT_EQ(kRefused, DecideCompanion(h, kMenu, 1, 3, 0));
    }
    // The page takes "d:\" as D: and refuses a path without a letter itself.
    EXPECT_EQ(kAccepted, DecideCompanion(kDrive, kSheet, 1, 3, 0));
}

TEST(Menus, UndeleteOnlyForOneFolder)
{
    EXPECT_EQ(2, PlanContextMenu(kFolder, 0, 1).count);
    EXPECT_EQ(1, PlanContextMenu(kFolder, 0, 2).count);
    EXPECT_EQ(IDS_MENU_FORCEDELETE, PlanContextMenu(kFolder, 0, 2).items[0].textId);
    EXPECT_EQ(IDS_MENU_UNDELETE, PlanContextMenu(kFolder, 0, 1).items[1].textId);
}

TEST(Menus, ReservedFlagBitsAddNothingOtherFlagsChangeNothing)
{
    for (HandlerKind h : {kDrive, kFolder, kFile}) {
        for (uint32_t bit = 0x10000; bit <= 0x80000; bit <<= 1)
            EXPECT_EQ(0, PlanContextMenu(h, bit, 1).count) << std::hex << bit;
        EXPECT_EQ(0, PlanContextMenu(h, 0xFFFFFFFF, 1).count);
        int usual = PlanContextMenu(h, 0, 1).count;
        // Default-only, verbs-only, explorer view and the rest: the same.
        EXPECT_EQ(usual, PlanContextMenu(h, 0x0000000F, 1).count);
        EXPECT_EQ(usual, PlanContextMenu(h, 0x0000FFFF, 1).count);
        EXPECT_EQ(usual, PlanContextMenu(h, 0xFFF00000, 1).count);
    }
}

TEST(Verbs, EachHandlersCommands)
{
    EXPECT_EQ(VerbAction::UndeleteDrive, DecideVerb(kDrive, 0));
    EXPECT_EQ(VerbAction::ClearTrashcan, DecideVerb(kDrive, 1));
    EXPECT_EQ(VerbAction::NoSuchVerb, DecideVerb(kDrive, 2));
    EXPECT_EQ(VerbAction::ForceDelete, DecideVerb(kFolder, 0));
    // Also when the menu of a multiple selection left the item out.
    EXPECT_EQ(VerbAction::UndeleteFolder, DecideVerb(kFolder, 1));
    EXPECT_EQ(VerbAction::NoSuchVerb, DecideVerb(kFolder, 2));
    EXPECT_EQ(VerbAction::ForceDelete, DecideVerb(kFile, 0));
    EXPECT_EQ(VerbAction::NoSuchVerb, DecideVerb(kFile, 1));
    EXPECT_EQ(VerbAction::NoSuchVerb, DecideVerb(kFile, 0xFFFF));
}

TEST(Verbs, AnythingAboveTheLowWordIsAVerbText)
{
    static const char kText[] = "open";
    for (HandlerKind h : {kDrive, kFolder, kFile}) {
        EXPECT_EQ(VerbAction::VerbIsText, DecideVerb(h, reinterpret_cast<uintptr_t>(kText)));
        EXPECT_EQ(VerbAction::VerbIsText, DecideVerb(h, 0x10000));
        EXPECT_EQ(VerbAction::VerbIsText, DecideVerb(h, 0x10001));
    }
}

TEST(HelpTexts, OnePerVerbAndNoneBeyond)
{
    EXPECT_EQ(IDS_HELP_UNDELETE_DRIVE, HelpTextId(kDrive, 0));
    EXPECT_EQ(IDS_HELP_CLEARTRASHCAN, HelpTextId(kDrive, 1));
    EXPECT_EQ(0, HelpTextId(kDrive, 2));
    EXPECT_EQ(IDS_HELP_FORCEDELETE_FOLDER, HelpTextId(kFolder, 0));
    EXPECT_EQ(IDS_HELP_UNDELETE_FOLDER, HelpTextId(kFolder, 1));
    EXPECT_EQ(0, HelpTextId(kFolder, 2));
    EXPECT_EQ(IDS_HELP_FORCEDELETE_FILE, HelpTextId(kFile, 0));
    EXPECT_EQ(0, HelpTextId(kFile, 1));
    EXPECT_EQ(0, HelpTextId(kFile, 0x10000));
}

std::string Parameters(const char* path, UndeleteMode mode, size_t size = 300)
{
    char out[300];
    memset(out, 'x', sizeof out);
    if (!FormatUndeleteParameters(path, mode, out, size))
        return out[0] == '\0' ? "<none>" : "<not emptied>";
    return out;
}

TEST(UndeleteParameters, PathAndDriveSwitch)
{
    EXPECT_EQ("C:\\ /drv", Parameters("C:\\", UndeleteMode::Drive));
    EXPECT_EQ("D:\\Reports\\Q3", Parameters("D:\\Reports\\Q3", UndeleteMode::Folder));
    EXPECT_EQ("D:\\My Files", Parameters("D:\\My Files", UndeleteMode::Folder));
}

TEST(UndeleteParameters, NeverPastTheBuffer)
{
    // "C:\ /drv" is 8 characters and needs 9 with its terminator.
    EXPECT_EQ("C:\\ /drv", Parameters("C:\\", UndeleteMode::Drive, 9));
    EXPECT_EQ("<none>", Parameters("C:\\", UndeleteMode::Drive, 8));
    EXPECT_EQ("<none>", Parameters("C:\\", UndeleteMode::Folder, 3));
    char untouched = 'x';
    EXPECT_FALSE(FormatUndeleteParameters("C:\\", UndeleteMode::Folder, &untouched, 0));
    EXPECT_EQ('x', untouched);

    // The longest path a selection holds, in drive mode.
    std::string longest = "D:\\" + std::string(257, 'a');
    char out[261 + 8];
    ASSERT_TRUE(FormatUndeleteParameters(longest.c_str(), UndeleteMode::Drive, out, sizeof out));
    EXPECT_EQ(longest + " /drv", out);
}

}  // namespace
