// The results list of the clearing flow run inside this test
// (clearingflow.h): the drives found, read through the list view, and the
// double-clicks that decide which of them are emptied.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clearingflow.h"
#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

using clearingflow::ClearingFlow;
using clearingflow::DoubleClick;
using clearingflow::ImageOf;
using clearingflow::ReadRows;
using files::InTrashcan;
using standin::Count;
using traytest::kRemove;
using traytest::kResults;
using traytest::kSearch;

TEST_F(ClearingFlow, ListsTheDrivesFoundThenEmptiesThem)
{
    for (char drive : kDrives)
        ASSERT_TRUE(standin::Protect(drive));
    // D: 7 files, 1024 KByte in all; E: 1025 KByte; M: 2048 KByte and a
    // read-only, a hidden and a system file.
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(files::MakeFile(InTrashcan('D', "d" + std::to_string(i)), 100000));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "d6"), 1048576 - 600000));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "Salvora.Inf"), 50000));
    ASSERT_TRUE(files::MakeDirs(InTrashcan('D', "kept")));
    ASSERT_TRUE(files::MakeFile(InTrashcan('E', "e"), 1025 * 1024));
    ASSERT_TRUE(files::MakeFile(InTrashcan('M', "ro"), 1048576, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(files::MakeFile(InTrashcan('M', "hs"), 1048576, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(files::MakeFile(InTrashcan('M', "empty"), 0));
    ASSERT_TRUE(files::MakeFile(InTrashcan('M', "salvora.inf")));
    standin::TakeLog();

    std::vector<std::string> rows, columns;
    RECT client = {};
    HICON icon = NULL;
    LONG exStyle = 0;
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
        rows = ReadRows(list);
        for (int i = 0; i < 3; ++i) {
            char text[32] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT | LVCF_FMT;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETCOLUMNA, i, (LPARAM)&column);
            int width = (int)SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0);
            columns.push_back(std::string(text) + (column.fmt == LVCFMT_RIGHT ? " right " : " left ") +
                              std::to_string(width));
        }
        GetClientRect(list, &client);
        icon = (HICON)SendDlgItemMessageA(dialog, IDC_RESULTS_ICON, STM_GETICON, 0, 0);
        exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
        ui::ClickButton(dialog, IDOK);
    });

    // Labels lower-cased, "[]" for none; sizes 1024, 1025 and 2048 KByte;
    // every drive checked. The last column fills the rest of the list.
    EXPECT_EQ((std::vector<std::string>{"D: [datadisk] | 7 | 1024 KByte | 1", "E: [] | 1 | 2.00 MByte | 1",
                                        "M: [ramdrive] | 3 | 3.00 MByte | 1"}),
              rows);
    EXPECT_EQ((std::vector<std::string>{"Laufwerke left 110", "Number of files right 84",
                                        "Occupied space right " + std::to_string(client.right - 194)}),
              columns);
    EXPECT_EQ(LoadIconA(NULL, IDI_QUESTION), icon);
    EXPECT_TRUE(exStyle & WS_EX_CONTEXTHELP);

    // The count moves in steps of four: D:'s 7 files never show as such.
    EXPECT_EQ((std::vector<std::string>{"Drive D:", "Drive E:", "Drive M:"}), seen.drives);
    for (const std::string& count : seen.counts)
        EXPECT_TRUE(count == "0 files" || count == "4 files") << count;
    EXPECT_NE(seen.counts.end(), std::find(seen.counts.begin(), seen.counts.end(), "4 files"));

    // The percentage of the 11 files rises, as often as a display is due
    // and at the end of each drive, to exactly 100%.
    EXPECT_EQ((std::vector<std::string>{kSearch, kResults, kRemove}), seen.opened);
    ASSERT_FALSE(seen.percents.empty());
    EXPECT_LE(seen.percents.size(), 11u);
    EXPECT_EQ("100%", seen.percents.back());
    for (size_t i = 1; i < seen.percents.size(); ++i)
        EXPECT_LT(atoi(seen.percents[i - 1].c_str()), atoi(seen.percents[i].c_str()));
    for (char drive : kDrives)
        EXPECT_TRUE(files::List(files::Trashcan(drive)).empty()) << drive;
    EXPECT_TRUE(files::Exists(InTrashcan('D', "kept")));
    std::vector<unsigned> codes = standin::TakeCodes();
    EXPECT_EQ(26, Count(codes, 7));
    EXPECT_EQ(1, Count(codes, 12));
    EXPECT_EQ(12u, codes.back());
}

TEST_F(ClearingFlow, TheListDecidesWhichDrivesAreEmptied)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(standin::Protect('E'));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "d1")));
    ASSERT_TRUE(files::MakeFile(InTrashcan('D', "salvora.inf")));
    // 3 GByte on E:, beyond what a signed 32-bit byte sum holds (sparse on
    // the host: nothing is written).
    ASSERT_TRUE(files::MakeFile(InTrashcan('E', "e1"), 0x60000000));
    ASSERT_TRUE(files::MakeFile(InTrashcan('E', "e2"), 0x60000000));
    ASSERT_TRUE(files::MakeFile(InTrashcan('E', "salvora.inf")));

    // D: double-clicked out, in, out again; a double-click without a
    // selection changes nothing. E: alone is emptied.
    std::vector<int> images;
    std::vector<std::string> rows;
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
        rows = ReadRows(list);
        for (int row : {0, 0, 0, -1})
            DoubleClick(dialog, row), images.push_back(ImageOf(list, 0));
        images.push_back(ImageOf(list, 1));
        ui::ClickButton(dialog, IDOK);
    });
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("E: [] | 2 | 3073.00 MByte | 1", rows[1]);
    EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 1}), images);
    // The removal counts the files of the drives left in alone.
    EXPECT_EQ(std::vector<int>{2}, seen.ranges);
    EXPECT_EQ((std::vector<std::string>{"d1", "salvora.inf"}), files::List(files::Trashcan('D')));
    EXPECT_TRUE(files::List(files::Trashcan('E')).empty());
    EXPECT_EQ(1, Count(standin::TakeCodes(), 12));

    // The next run finds D: alone, and counts only its file in the removal.
    // With its one row unchecked, OK removes nothing and purges nothing.
    seen = clearingflow::Seen();
    Run(ClearFromMenu, [&] {
        HWND dialog = WaitForDialog(kResults);
        ASSERT_TRUE(dialog != NULL);
        rows = ReadRows(GetDlgItem(dialog, IDC_RESULTS_LIST));
        DoubleClick(dialog, 0);
        ui::ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(std::vector<std::string>{"D: [datadisk] | 1 | 0 KByte | 1"}, rows);
    EXPECT_EQ(std::vector<int>{0}, seen.ranges);
    EXPECT_EQ((std::vector<std::string>{"d1", "salvora.inf"}), files::List(files::Trashcan('D')));
    EXPECT_EQ(0, Count(standin::TakeCodes(), 12));
}

}  // namespace
