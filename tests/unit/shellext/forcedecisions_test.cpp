// ForceDelete's decisions: which confirmation says what, which items the
// walk may touch, its action text and its percentage.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "shellext/forcedecisions.h"
#include "shellext/resource.h"
#include "tests/codepage932.h"

namespace {

TEST(ForceDeleteConfirmation, TextsCaptionsAndDialogs)
{
    const struct {
        int32_t count;
        uint32_t firstAttributes;
        int message, caption;
        bool count_in_message;
    } cases[] = {
        {1, 0x20, IDS_CONFIRM_FILE, IDS_CONFIRM_FILE_CAPTION, false},
        {1, 0x07, IDS_CONFIRM_FILE, IDS_CONFIRM_FILE_CAPTION, false},
        {1, 0x10, IDS_CONFIRM_FOLDER, IDS_CONFIRM_FOLDER_CAPTION, false},
        {1, 0x410, IDS_CONFIRM_FOLDER, IDS_CONFIRM_FOLDER_CAPTION, false},
        // An item that cannot be examined is spoken of as a folder.
        {1, 0xFFFFFFFF, IDS_CONFIRM_FOLDER, IDS_CONFIRM_FOLDER_CAPTION, false},
        {2, 0x10, IDS_CONFIRM_ITEMS, IDS_CONFIRM_ITEMS_CAPTION, true},
        {3, 0x20, IDS_CONFIRM_ITEMS, IDS_CONFIRM_ITEMS_CAPTION, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " items, attributes " + std::to_string(c.firstAttributes));
        ConfirmationText text = SelectionConfirmation(c.count, c.firstAttributes);
        EXPECT_EQ(c.message, text.messageId);
        EXPECT_EQ(c.caption, text.captionId);
        EXPECT_EQ(c.count_in_message, text.countInMessage);
    }
    ConfirmationText file = ProtectedFileConfirmation();
    EXPECT_EQ(IDS_CONFIRM_PROTECTED_FILE, file.messageId);
    EXPECT_EQ(IDS_CONFIRM_FILE_CAPTION, file.captionId);
    EXPECT_FALSE(file.countInMessage);
    // Yes to all and Cancel only where there is more than the one file.
    EXPECT_EQ(IDD_CONFIRM, ProtectedFileDialog(1));
    EXPECT_EQ(IDD_CONFIRM_PROTECTED, ProtectedFileDialog(2));
    EXPECT_EQ(IDD_CONFIRM_PROTECTED, ProtectedFileDialog(70000));
}

TEST(ForceDeleteItems, WhatIsAskedAboutAndWhatIsWalked)
{
    const struct {
        uint32_t attributes;
        bool asks;
        ItemKind kind;
    } cases[] = {
        {0x00, false, ItemKind::File},
        {0x20, false, ItemKind::File},
        {0x80, false, ItemKind::File},
        {0x01, true, ItemKind::File},
        {0x02, true, ItemKind::File},
        {0x04, true, ItemKind::File},
        {0x27, true, ItemKind::File},
        {0x10, false, ItemKind::Folder},
        {0x13, true, ItemKind::Folder},
        // Links, whatever else they say of themselves: Wine's reading of a
        // Unix link to a folder, a file link, a junction.
        {0x410, false, ItemKind::Link},
        {0x420, false, ItemKind::Link},
        {0x400, false, ItemKind::Link},
        {0x411, true, ItemKind::Link},
        {0xFFFFFFFF, true, ItemKind::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attributes);
        EXPECT_EQ(c.asks, AsksBeforeDeleting(c.attributes, false));
        EXPECT_FALSE(AsksBeforeDeleting(c.attributes, true));
        EXPECT_EQ(c.kind, KindOfItem(c.attributes));
    }
}

TEST(ForceDeleteItems, NeitherADriveNorTheTrashcanNorWhatHasNoDrive)
{
    const struct {
        const char* path;   // canonical, as the selection holds it
        SelectedPathKind kind;
        int refusal;
    } cases[] = {
        {"D:\\", SelectedPathKind::DriveRoot, IDS_FORCEDELETE_DRIVE},
        {"d:\\", SelectedPathKind::DriveRoot, IDS_FORCEDELETE_DRIVE},
        {"D:\\RECYCLED", SelectedPathKind::Trashcan, IDS_FORCEDELETE_TRASHCAN},
        {"D:\\recycled\\Trashcan", SelectedPathKind::Trashcan, IDS_FORCEDELETE_TRASHCAN},
        {"D:\\RECYCLED\\TRASHCAN\\salvora.inf", SelectedPathKind::Trashcan, IDS_FORCEDELETE_TRASHCAN},
        {"D:\\RECYCLED\\TRASHCAN\\sub\\x", SelectedPathKind::Trashcan, IDS_FORCEDELETE_TRASHCAN},
        // Beside the Trashcan, or only alike in name.
        {"D:\\RECYCLED\\INFO2", SelectedPathKind::Item, 0},
        {"D:\\RECYCLED\\TRASHCANS", SelectedPathKind::Item, 0},
        {"D:\\RECYCLED.", SelectedPathKind::Item, 0},
        {"D:\\RECYCLEDX\\TRASHCAN", SelectedPathKind::Item, 0},
        {"D:\\DATA\\RECYCLED", SelectedPathKind::Item, 0},
        {"D:\\x.", SelectedPathKind::Item, 0},
        // What canonical spelling could not be given.
        {"\\\\SERVER\\SHARE\\A.TXT", SelectedPathKind::NotADrivePath, IDS_FORCEDELETE_UNREACHABLE},
        {"E:x", SelectedPathKind::NotADrivePath, IDS_FORCEDELETE_UNREACHABLE},
        {"@:\\x", SelectedPathKind::NotADrivePath, IDS_FORCEDELETE_UNREACHABLE},
        {"", SelectedPathKind::NotADrivePath, IDS_FORCEDELETE_UNREACHABLE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.kind, ClassifySelectedPath(c.path)) << c.path;
        EXPECT_EQ(c.refusal, RefusalMessageId(c.kind)) << c.path;
    }
    // The user's own answers end a run without a message; every other stop
    // names its item.
    EXPECT_EQ(0, StopMessageId(StopReason::None));
    EXPECT_EQ(0, StopMessageId(StopReason::ByUser));
    for (StopReason r : {StopReason::InUseOrDenied, StopReason::Link, StopReason::Unreachable})
        EXPECT_NE(0, StopMessageId(r));
}

TEST(ForceDeleteActionText, TheLastComponentAfterThePrefix)
{
    char out[301];
    ActionText(out, sizeof out, "Force deleting file: ", "C:\\TEMP\\A.TXT");
    EXPECT_STREQ("Force deleting file: A.TXT", out);
    ActionText(out, sizeof out, "Removing directory: ", "D:\\a b\\New Folder.old");
    EXPECT_STREQ("Removing directory: New Folder.old", out);
    ActionText(out, sizeof out, "Force deleting file: ", "NOSLASH.TXT");
    EXPECT_STREQ("Force deleting file: NOSLASH.TXT", out);
    // On code page 932 a backslash that is a character's second byte ends
    // no folder, and a cut text ends on a whole character.
    const LeadBytes cp932 = CodePage932();
    ActionText(out, sizeof out, "x: ", "D:\\fd\\" SJIS_HYO SJIS_SO, cp932);
    EXPECT_STREQ("x: " SJIS_HYO SJIS_SO, out);
    ActionText(out, 6, "x: ", "D:\\" SJIS_HYO SJIS_SO, cp932);
    EXPECT_STREQ("x: " SJIS_HYO, out);
    ActionText(out, 5, SJIS_HYO SJIS_HYO, "a", cp932);
    EXPECT_STREQ(SJIS_HYO SJIS_HYO, out);
    ActionText(out, 4, SJIS_HYO SJIS_HYO, "a", cp932);
    EXPECT_STREQ(SJIS_HYO, out);

    // Any sizes: the text cut to the buffer, never past it.
    std::mt19937 random(7);
    for (int round = 0; round < 5000; ++round) {
        std::string prefix(random() % 40, 'p');
        std::string path = "D:\\" + std::string(random() % 300, 'd') + "\\" + std::string(random() % 300, 'n');
        size_t size = 1 + random() % 400;
        std::vector<char> buffer(size, '#');
        ActionText(buffer.data(), size, prefix.c_str(), path.c_str());
        std::string whole = prefix + path.substr(path.rfind('\\') + 1);
        EXPECT_EQ(whole.substr(0, size - 1), std::string(buffer.data()));
    }
}

TEST(ForceDeletePercent, NearestWithHalvesToEven)
{
    const struct {
        long done, total;
        int percent;
    } cases[] = {
        {1, 3, 33}, {2, 3, 67}, {3, 3, 100},
        {1, 8, 12}, {3, 8, 38}, {5, 8, 62}, {7, 8, 88},   // exact halves
        {1, 200, 0}, {3, 200, 2},                          // 0.5 and 1.5
        {0, 5, 0}, {3, 0, 0}, {-1, 5, 0},
        // More items than were counted (they appeared after the count).
        {6, 5, 100},
        // Totals beyond what the bar counts, and beyond 32 bits when scaled.
        {32768, 65536, 50}, {65535, 65536, 100}, {2000000000, 2147483647, 93},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.percent, ForceDeletePercent(c.done, c.total)) << c.done << " of " << c.total;

    // The definition, for any counts: nearest, and a tie goes to the even one.
    std::mt19937 random(11);
    for (int round = 0; round < 100000; ++round) {
        long total = 1 + (long)(random() % (round % 2 ? 1000 : 3000000));
        long done = (long)(random() % (total + 1));
        int p = ForceDeletePercent(done, total);
        long long twiceError = 2 * ((long long)done * 100 - (long long)p * total);
        ASSERT_LE(twiceError, total) << done << " of " << total;
        ASSERT_GE(twiceError, -total) << done << " of " << total;
        if (twiceError == total || twiceError == -total) {
            ASSERT_EQ(0, p % 2) << done << " of " << total;
        }
    }
}

}  // namespace
