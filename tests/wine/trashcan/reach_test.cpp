// Which files the Trashcan machinery reaches (trashcantest.h): names too long
// for a path buffer or beyond the code page, twins of the Trashcan's folders
// that differ in case alone, and a Trashcan behind a link.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "support/files.h"
#include "support/hostside.h"
#include "trashcantest.h"

namespace {

using namespace trashcantest;

TEST_F(Trashcan, NamesTooLongForThePathBufferAreReachedByTheirShortName)
{
    // "E:\RECYCLED\TRASHCAN\" and this name exceed the 260 characters the
    // product's path buffers hold.
    // The ANSI calls cannot make such a file; the driver's own calls can.
    std::wstring longPath = L"\\\\?\\" + std::wstring(1, (wchar_t)kDrive) + L":\\RECYCLED\\TRASHCAN\\" +
                            std::wstring(250, L'n');
    HANDLE h = CreateFileW(longPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf")));
    RemovalRun run = NewRun(window_, 1, &cancel_);
    g_failures = 0;
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(0, g_failures);
    EXPECT_EQ(1, run.removed);
    EXPECT_TRUE(files::List(files::Trashcan(kDrive)).empty());
}

// Names as the host can leave them on a drive, which the ANSI calls cannot
// make: whether the listing's ANSI name reaches the file or not, the short
// name does, except where Wine gives none (a control character).
TEST_F(Trashcan, EachFileIsReachedByANameThatLeadsToItOrReported)
{
    const std::string trashcan = host::Quote(host::PathOf(files::Trashcan(kDrive)));
    const char* const reachable[] = {
        "q?.txt", "a*b.txt", "lt<gt>.txt", "blank ",
        "dot.", "dot",                               // "dot." names "dot"
        "\xe4\xb8\xad.txt",                          // outside the code page: "?.txt"
        "\xef\xbd\x81\xef\xbd\x82", "ab",            // full-width letters read "ab"
    };
    std::string make = "cd " + trashcan + "; mkdir dir.; touch dir./inner";
    for (const char* name : reachable)
        make += "; touch -- " + host::Quote(name);
    ASSERT_TRUE(host::Run(make));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf")));

    ScanDisplay display = {window_.Window(), NULL, 0};
    ScanResult found = {};
    RunAsWorker([&] { found = ScanTrashcan(kDrive, UpperCasePattern, display, &cancel_); });
    EXPECT_EQ(9, found.files);
    g_failures = 0;
    RemovalRun run = NewRun(window_, found.files, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(0, g_failures);
    EXPECT_EQ(9, run.removed);
    EXPECT_TRUE(files::List(files::Trashcan(kDrive)).empty());
    EXPECT_TRUE(host::Run("test -f " + trashcan + "/dir./inner"));   // folders are passed over

    ASSERT_TRUE(host::Run("touch " + trashcan + "/\"$(printf 'ctl\\001x')\""));
    ASSERT_TRUE(files::MakeFile(InTrashcan(kDrive, "salvora.inf")));
    run = NewRun(window_, 1, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(1, g_failures);
    EXPECT_FALSE(run.lastDeletionOk);
    EXPECT_EQ((std::vector<std::string>{"ctl\x01x", "salvora.inf"}), files::List(files::Trashcan(kDrive)));
}

// A host that tells case apart may hold twins of the Trashcan's folders
// that differ only in case. Each call reaches the one spelt exactly as the
// path is, so the removal must empty that one, spelt as the pattern is or
// as the disk is, and leave its twins whole.
TEST_F(Trashcan, TheFolderThePatternReachesIsTheOneEmptied)
{
    const std::string root = host::Quote(host::PathOf(std::string(1, kDrive) + ":\\"));
    const char* const folders[] = {"RECYCLED/TRASHCAN", "recycled/trashcan", "RECYCLED/trashcan"};
    struct {
        int twins;   // how many of the folders above exist
        PatternCase pattern;
        const char* emptied;
    } const cases[] = {
        {3, UpperCasePattern, "RECYCLED/TRASHCAN"},
        {3, LowerCasePattern, "recycled/trashcan"},
        {2, LowerCasePattern, "recycled/trashcan"},
        {1, LowerCasePattern, "RECYCLED/TRASHCAN"},   // the only one, in another case
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.emptied) + " of " + std::to_string(c.twins));
        std::string make = "cd " + root + " && rm -rf RECYCLED recycled";
        for (int i = 0; i < c.twins; ++i)
            make += std::string(" && mkdir -p ") + folders[i] + " && touch " + folders[i] + "/f " + folders[i] +
                    "/salvora.inf";
        ASSERT_TRUE(host::Run(make));
        g_failures = 0;
        RemovalRun run = NewRun(window_, 1, &cancel_);
        RunAsWorker([&] { RemoveTrashcanFiles(kDrive, c.pattern, &run); });
        EXPECT_EQ(1, run.removed);
        EXPECT_EQ(0, g_failures);
        for (int i = 0; i < c.twins; ++i) {
            bool emptied = strcmp(folders[i], c.emptied) == 0;
            EXPECT_TRUE(host::Run("cd " + root + " && test " + (emptied ? "-z" : "-n") + " \"$(ls -A " +
                                  folders[i] + ")\"")) << folders[i];
        }
    }
}

// A Trashcan, or the RECYCLED folder above it, that is a link to a folder
// elsewhere: nothing there is counted or deleted.
class LinkedTrashcan : public Trashcan {
protected:
    void SetUp() override
    {
        Trashcan::SetUp();
        ASSERT_TRUE(files::MakeDirs(elsewhere_ + "\\TRASHCAN"));
        for (const char* name : {"kept.txt", "salvora.inf"})
            ASSERT_TRUE(files::MakeFile(elsewhere_ + "\\TRASHCAN\\" + name));
    }
    void TearDown() override
    {
        host::Run("rm -rf " + recycled_);   // Wine cannot remove a link, rm does not follow one
        files::RemoveTree(elsewhere_);
        Trashcan::TearDown();
    }
    const std::string elsewhere_ = files::ScratchDir("elsewhere");
    const std::string recycled_ = host::Quote(host::PathOf(std::string(1, kDrive) + ":\\RECYCLED"));
    const std::string there_ = host::Quote(host::PathOf(elsewhere_));
};

TEST_F(LinkedTrashcan, NothingBeyondTheLinkIsCountedOrDeleted)
{
    const std::pair<const char*, std::string> links[] = {
        {"RECYCLED\\TRASHCAN", "rmdir " + recycled_ + "/TRASHCAN; ln -s " + there_ + "/TRASHCAN " + recycled_},
        {"RECYCLED", "rm -r " + recycled_ + "; ln -s " + there_ + " " + recycled_},
    };
    for (const auto& link : links) {
        SCOPED_TRACE(link.first);
        ASSERT_TRUE(
            host::Run("rm -rf " + recycled_ + "; mkdir -p " + recycled_ + "/TRASHCAN; " + link.second));
        ASSERT_TRUE(GetFileAttributesA((std::string(1, kDrive) + ":\\" + link.first).c_str()) &
                    FILE_ATTRIBUTE_REPARSE_POINT);

        ScanDisplay display = {window_.Window(), NULL, 0};
        ScanResult found = {};
        RunAsWorker([&] { found = ScanTrashcan(kDrive, UpperCasePattern, display, &cancel_); });
        EXPECT_EQ(0, found.files);
        g_failures = 0;
        RemovalRun run = NewRun(window_, 1, &cancel_);
        run.lastDeletionOk = true;   // an earlier drive ended well
        RunAsWorker([&] { RemoveTrashcanFiles(kDrive, LowerCasePattern, &run); });
        EXPECT_EQ(0, run.removed + g_failures);
        EXPECT_EQ((std::vector<std::string>{"kept.txt", "salvora.inf"}),
                  files::List(elsewhere_ + "\\TRASHCAN"));
    }
}

}  // namespace
