// The Trashcan machinery on real files of a test drive (trashcantest.h): the
// search's count and sizes, and the removal's files, index, display and end.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "support/files.h"
#include "trashcantest.h"

namespace {

using namespace trashcantest;

TEST_F(Trashcan, CountsPlainFilesInStepsOfFour)
{
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "f" + std::to_string(i)), 1000));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "SALVORA.INF"), 5000));
    ASSERT_TRUE(files::MakeDirs(InTrashcan(kDrive, "subdir")));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "subdir\\inner"), 5000));

    ScanResult result = {};
    ScanDisplay display = {window_.Window(), NULL, 0};
    RunAsWorker([&] { result = ScanTrashcan(kDrive, UpperCasePattern, display, &cancel_); });
    EXPECT_EQ(7, result.files);
    EXPECT_EQ(7000u, result.bytes);
    // The count moves in steps of four: the dialog never says "7 files".
    std::vector<std::string> counts = window_.Texts(IDC_PROGRESS_COUNT);
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ("0 files", counts.front());
    EXPECT_EQ("4 files", counts.back());
}

TEST_F(Trashcan, AnEmptyOrMissingTrashcanCountsNothing)
{
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf")));
    ASSERT_TRUE(files::MakeDirs(InTrashcan(kDrive, "only-a-folder")));
    ScanDisplay display = {window_.Window(), NULL, 0};
    ScanResult result = {};
    RunAsWorker([&] { result = ScanTrashcan(kDrive, LowerCasePattern, display, &cancel_); });
    EXPECT_EQ(0, result.files);
    RunAsWorker([&] { result = ScanTrashcan('F', LowerCasePattern, display, &cancel_); });
    EXPECT_EQ(0, result.files);
}

TEST_F(Trashcan, SizesBeyondTwoGigabytesStayPositive)
{
    // Sparse on the host: nothing is written.
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "big1"), 0x60000000));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "big2"), 0x60000000));
    ScanDisplay display = {window_.Window(), NULL, 0};
    ScanResult result = {};
    RunAsWorker([&] { result = ScanTrashcan(kDrive, UpperCasePattern, display, &cancel_); });
    EXPECT_EQ(2, result.files);
    EXPECT_EQ(0xC0000000ull, result.bytes);
    EXPECT_EQ(3145728, KBytesFromBytes(result.bytes));
}

TEST_F(Trashcan, RemovesEveryKindOfFileAndTheIndexLast)
{
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "plain"), 10));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "readonly"), 10, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "hidden"), 10, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "Salvora.Inf"), 10, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf2"), 10));
    ASSERT_TRUE(files::MakeDirs(InTrashcan(kDrive, "keep")));
    g_failures = 0;
    RemovalRun run = NewRun(window_, 4, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(0, g_failures);
    EXPECT_EQ(4, run.removed);
    EXPECT_TRUE(run.lastDeletionOk);
    // The index file is deleted as it is, read-only or not: its attributes
    // are the driver's business.
    EXPECT_EQ(std::vector<std::string>{"Salvora.Inf"}, files::List(files::Trashcan(kDrive)));
    EXPECT_TRUE(files::Exists(InTrashcan(kDrive, "keep")));
    EXPECT_EQ("100%", window_.Texts(IDC_PROGRESS_DRIVE).back());
    EXPECT_EQ(4, SendMessageA(window_.Bar(), PBM_GETPOS, 0, 0));

    ASSERT_TRUE(SetFileAttributesA(InTrashcan(kDrive, "Salvora.Inf").c_str(), FILE_ATTRIBUTE_NORMAL));
    RemovalRun again = NewRun(window_, 0, &cancel_);
    again.lastDeletionOk = true;   // carried over from an earlier drive
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &again); });
    EXPECT_TRUE(files::List(files::Trashcan(kDrive)).empty());
}

TEST_F(Trashcan, ThePercentageIsSetOnlyWhenItChanges)
{
    for (int i = 0; i < 250; ++i)
        ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "p" + std::to_string(i))));
    RemovalRun run = NewRun(window_, 250, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(250, run.removed);
    std::vector<std::string> shown = window_.Texts(IDC_PROGRESS_DRIVE);
    EXPECT_LE(shown.size(), 101u);
    EXPECT_EQ("100%", shown.back());
    for (size_t i = 1; i < shown.size(); ++i)
        EXPECT_NE(shown[i - 1], shown[i]);
}

// What the removal shows last is where it ended, and never more than 100 %,
// whatever the Trashcan did since it was counted.
TEST_F(Trashcan, TheLastDisplayIsExactAndNeverPastTheEnd)
{
    const struct {
        const char* name;
        long counted, onDisk, arriving;
        const char* last;
        int position;
    } cases[] = {
        {"as counted", 40, 40, 0, "100%", 40},
        {"more than counted", 5, 600, 0, "100%", 5},
        {"arriving mid-run", 5, 5, 600, "100%", 5},
        {"fewer than counted", 10, 4, 0, "40%", 4},
        {"none left", 5, 0, 0, "0%", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgressWindow window;
        for (long i = 0; i < c.onDisk; ++i)
            ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "f" + std::to_string(i))));
        window.onFirstDriveText = [&] {
            for (long i = 0; i < c.arriving; ++i)
                files::MakeFile(InTrashcan(kDrive, "late" + std::to_string(i)));
        };
        RemovalRun run = NewRun(window, c.counted, &cancel_);
        RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
        std::vector<std::string> shown = window.Texts(IDC_PROGRESS_PERCENT);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(c.last, shown.back());
        for (const std::string& percent : shown)
            EXPECT_LE(atoi(percent.c_str()), 100) << percent;
        EXPECT_EQ(c.position, SendMessageA(window.Bar(), PBM_GETPOS, 0, 0));
        files::RemoveTree(files::Trashcan(kDrive));
        ASSERT_TRUE(files::MakeDirs(files::Trashcan(kDrive)));
    }
}

TEST_F(Trashcan, AFileInUseEndsItsDriveOnlyAndKeepsItsIndex)
{
    // Held without delete sharing the deletion fails by itself; sharing
    // everything, Wine would delete the file as Windows 95 does, from under
    // the program reading it. Either way it is reported once, and it and its
    // attributes stay.
    for (DWORD sharing : {FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}) {
        SCOPED_TRACE(sharing);
        ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "a")));
        ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "b"), 10, FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "c")));
        ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf")));
        ASSERT_TRUE(files::MakeFile(InTrashcan('D', "x")));
        ASSERT_TRUE(files::MakeFile(InTrashcan('D', "salvora.inf")));
        DWORD attributes = GetFileAttributesA(InTrashcan(kDrive, "b").c_str());
        HANDLE held = CreateFileA(InTrashcan(kDrive, "b").c_str(), GENERIC_READ, sharing, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);

        g_failures = 0;
        RemovalRun run = NewRun(window_, 4, &cancel_);
        RunAsWorker([&] {
            RemoveTrashcanFiles(kDrive, UpperCasePattern, &run);
            RemoveTrashcanFiles('D', LowerCasePattern, &run);
        });
        CloseHandle(held);
        EXPECT_EQ(1, g_failures);
        EXPECT_EQ(attributes, GetFileAttributesA(InTrashcan(kDrive, "b").c_str()));
        EXPECT_TRUE(files::Exists(InTrashcan(kDrive, "salvora.inf")));
        // The next drive is still emptied, its index file included.
        EXPECT_TRUE(files::List(files::Trashcan('D')).empty());
        EXPECT_TRUE(run.lastDeletionOk);
        files::RemoveTree(files::Trashcan(kDrive));
        ASSERT_TRUE(files::MakeDirs(files::Trashcan(kDrive)));
    }

    // An index file that the driver or the undelete program has open stays
    // where its drive was emptied, without a word.
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "a")));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf")));
    HANDLE held = CreateFileA(InTrashcan(kDrive, "salvora.inf").c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    g_failures = 0;
    RemovalRun run = NewRun(window_, 1, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    CloseHandle(held);
    EXPECT_EQ(0, g_failures);
    EXPECT_EQ(std::vector<std::string>{"salvora.inf"}, files::List(files::Trashcan(kDrive)));
}

TEST_F(Trashcan, CancelStopsBeforeTheNextFileAndKeepsTheIndex)
{
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "a")));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf")));
    cancel_ = 1;
    RemovalRun run = NewRun(window_, 1, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(0, run.removed);
    EXPECT_EQ((std::vector<std::string>{"a", "salvora.inf"}), files::List(files::Trashcan(kDrive)));
}

}  // namespace
