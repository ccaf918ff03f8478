// The Trashcan machinery on real files of a test drive, with a stand-in
// progress dialog whose controls record every text a worker gives them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/hostside.h"
#include "support/ui.h"
#include "trashcan/trashcan.h"

namespace {

const char kDrive = files::kFixedUnlabelled;

// A window with the progress dialog's controls; the texts the worker sets
// are recorded in order (the controls belong to the test's thread, which
// keeps dispatching while a worker runs).
class ProgressWindow {
public:
    ProgressWindow()
    {
        InitCommonControls();
        window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 100, NULL, NULL, NULL, NULL);
        for (int id : {IDC_PROGRESS_COUNT, IDC_PROGRESS_DRIVE}) {
            HWND c = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 100, 10, window_, (HMENU)(INT_PTR)id,
                                     NULL, NULL);
            SetWindowLongPtrA(c, GWLP_USERDATA, (LONG_PTR)this);
            original_ = (WNDPROC)SetWindowLongPtrA(c, GWLP_WNDPROC, (LONG_PTR)Record);
        }
        bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 100, 10, window_,
                               (HMENU)(INT_PTR)IDC_PROGRESS_BAR, NULL, NULL);
    }
    ~ProgressWindow() { DestroyWindow(window_); }
    HWND Window() const { return window_; }
    HWND Bar() const { return bar_; }
    std::vector<std::string> Texts(int id) const { return id == IDC_PROGRESS_COUNT ? counts_ : drives_; }
    // Runs on this thread when control 105 is first given a text.
    std::function<void()> onFirstDriveText;

private:
    static LRESULT CALLBACK Record(HWND w, UINT m, WPARAM wp, LPARAM lp)
    {
        ProgressWindow* self = (ProgressWindow*)GetWindowLongPtrA(w, GWLP_USERDATA);
        if (m == WM_SETTEXT && GetDlgCtrlID(w) == IDC_PROGRESS_COUNT)
            self->counts_.push_back((const char*)lp);
        if (m == WM_SETTEXT && GetDlgCtrlID(w) == IDC_PROGRESS_DRIVE) {
            self->drives_.push_back((const char*)lp);
            if (self->drives_.size() == 1 && self->onFirstDriveText)
                self->onFirstDriveText();
        }
        return CallWindowProcA(self->original_, w, m, wp, lp);
    }
    HWND window_ = NULL;
    HWND bar_ = NULL;
    WNDPROC original_ = NULL;
    std::vector<std::string> counts_, drives_;
};

// Runs a job on a worker thread, dispatching this thread's messages meanwhile,
// as a progress dialog's modal loop does.
template <class Job>
void RunAsWorker(Job job)
{
    struct Box {
        Job* job;
        static DWORD WINAPI Run(void* p)
        {
            (*static_cast<Box*>(p)->job)();
            return 0;
        }
    } box = {&job};
    HANDLE thread = CreateThread(NULL, 0, Box::Run, &box, 0, NULL);
    ASSERT_TRUE(thread);
    ui::WaitUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 30000);
    CloseHandle(thread);
}

class Trashcan : public ::testing::Test {
protected:
    void SetUp() override
    {
        files::RemoveTree(std::string(1, kDrive) + ":\\RECYCLED");
        ASSERT_TRUE(files::MakeDirs(files::Trashcan(kDrive)));
        ASSERT_TRUE(files::MakeDirs(files::Trashcan('D')));
    }
    void TearDown() override
    {
        files::RemoveTree(std::string(1, kDrive) + ":\\RECYCLED");
        files::RemoveTree("D:\\RECYCLED");
    }
    std::string In(const char* name, char drive = kDrive) { return files::Trashcan(drive) + "\\" + name; }
    ProgressWindow window_;
    volatile BYTE cancel_ = 0;
};

TEST_F(Trashcan, CountsPlainFilesInStepsOfFour)
{
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(files::MakeFile(In(("f" + std::to_string(i)).c_str()), 1000));
    ASSERT_TRUE(files::MakeFile(In("SALVORA.INF"), 5000));
    ASSERT_TRUE(files::MakeDirs(In("subdir")));
    ASSERT_TRUE(files::MakeFile(In("subdir\\inner"), 5000));

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
    ASSERT_TRUE(files::MakeFile(In("salvora.inf")));
    ASSERT_TRUE(files::MakeDirs(In("only-a-folder")));
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
    ASSERT_TRUE(files::MakeFile(In("big1"), 0x60000000));
    ASSERT_TRUE(files::MakeFile(In("big2"), 0x60000000));
    ScanDisplay display = {window_.Window(), NULL, 0};
    ScanResult result = {};
    RunAsWorker([&] { result = ScanTrashcan(kDrive, UpperCasePattern, display, &cancel_); });
    EXPECT_EQ(2, result.files);
    EXPECT_EQ(0xC0000000ull, result.bytes);
    EXPECT_EQ(3145728, KBytesFromBytes(result.bytes));
}

int g_failures;
void CountFailure() { ++g_failures; }

RemovalRun NewRun(ProgressWindow& w, long total, volatile BYTE* cancel)
{
    SetItemRange(w.Bar(), total);
    RemovalRun run = RemovalRun();
    run.cancel = cancel;
    run.dialog = w.Window();
    run.bar = w.Bar();
    run.total = total;
    run.reportFailure = CountFailure;
    return run;
}

TEST_F(Trashcan, RemovesEveryKindOfFileAndTheIndexLast)
{
    ASSERT_TRUE(files::MakeFile(In("plain"), 10));
    ASSERT_TRUE(files::MakeFile(In("readonly"), 10, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(files::MakeFile(In("hidden"), 10, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(files::MakeFile(In("Salvora.Inf"), 10, FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(files::MakeFile(In("salvora.inf2"), 10));
    ASSERT_TRUE(files::MakeDirs(In("keep")));
    g_failures = 0;
    RemovalRun run = NewRun(window_, 4, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(0, g_failures);
    EXPECT_EQ(4, run.removed);
    EXPECT_TRUE(run.lastDeletionOk);
    // The index file is deleted as it is, read-only or not: its attributes
    // are the driver's business.
    EXPECT_EQ(std::vector<std::string>{"Salvora.Inf"}, files::List(files::Trashcan(kDrive)));
    EXPECT_TRUE(files::Exists(In("keep")));
    EXPECT_EQ("100%", window_.Texts(IDC_PROGRESS_DRIVE).back());
    EXPECT_EQ(4, SendMessageA(window_.Bar(), PBM_GETPOS, 0, 0));

    ASSERT_TRUE(SetFileAttributesA(In("Salvora.Inf").c_str(), FILE_ATTRIBUTE_NORMAL));
    RemovalRun again = NewRun(window_, 0, &cancel_);
    again.lastDeletionOk = true;   // carried over from an earlier drive
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &again); });
    EXPECT_TRUE(files::List(files::Trashcan(kDrive)).empty());
}

TEST_F(Trashcan, ThePercentageIsSetOnlyWhenItChanges)
{
    for (int i = 0; i < 250; ++i)
        ASSERT_TRUE(files::MakeFile(In(("p" + std::to_string(i)).c_str())));
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
            ASSERT_TRUE(files::MakeFile(In(("f" + std::to_string(i)).c_str())));
        window.onFirstDriveText = [&] {
            for (long i = 0; i < c.arriving; ++i)
                files::MakeFile(In(("late" + std::to_string(i)).c_str()));
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
        ASSERT_TRUE(files::MakeFile(In("a")));
        ASSERT_TRUE(files::MakeFile(In("b"), 10, FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(files::MakeFile(In("c")));
        ASSERT_TRUE(files::MakeFile(In("salvora.inf")));
        ASSERT_TRUE(files::MakeFile(In("x", 'D')));
        ASSERT_TRUE(files::MakeFile(In("salvora.inf", 'D')));
        DWORD attributes = GetFileAttributesA(In("b").c_str());
        HANDLE held = CreateFileA(In("b").c_str(), GENERIC_READ, sharing, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, held);

        g_failures = 0;
        RemovalRun run = NewRun(window_, 4, &cancel_);
        RunAsWorker([&] {
            RemoveTrashcanFiles(kDrive, UpperCasePattern, &run);
            RemoveTrashcanFiles('D', LowerCasePattern, &run);
        });
        CloseHandle(held);
        EXPECT_EQ(1, g_failures);
        EXPECT_EQ(attributes, GetFileAttributesA(In("b").c_str()));
        EXPECT_TRUE(files::Exists(In("salvora.inf")));
        // The next drive is still emptied, its index file included.
        EXPECT_TRUE(files::List(files::Trashcan('D')).empty());
        EXPECT_TRUE(run.lastDeletionOk);
        files::RemoveTree(files::Trashcan(kDrive));
        ASSERT_TRUE(files::MakeDirs(files::Trashcan(kDrive)));
    }

    // An index file that the driver or the undelete program has open stays
    // where its drive was emptied, without a word.
    ASSERT_TRUE(files::MakeFile(In("a")));
    ASSERT_TRUE(files::MakeFile(In("salvora.inf")));
    HANDLE held = CreateFileA(In("salvora.inf").c_str(), GENERIC_READ,
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
    ASSERT_TRUE(files::MakeFile(In("a")));
    ASSERT_TRUE(files::MakeFile(In("salvora.inf")));
    cancel_ = 1;
    RemovalRun run = NewRun(window_, 1, &cancel_);
    RunAsWorker([&] { RemoveTrashcanFiles(kDrive, UpperCasePattern, &run); });
    EXPECT_EQ(0, run.removed);
    EXPECT_EQ((std::vector<std::string>{"a", "salvora.inf"}), files::List(files::Trashcan(kDrive)));
}

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
    ASSERT_TRUE(files::MakeFile(In("salvora.inf")));
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
    ASSERT_TRUE(files::MakeFile(In("salvora.inf")));

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
    ASSERT_TRUE(files::MakeFile(In("salvora.inf")));
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

TEST_F(Trashcan, BarsBeyondSixteenBitsAreScaled)
{
    SetItemRange(window_.Bar(), 70000);
    PBRANGE range;
    SendMessageA(window_.Bar(), PBM_GETRANGE, FALSE, (LPARAM)&range);
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(0xFFFF, range.iHigh);
    SetItemRange(window_.Bar(), 7);
    SendMessageA(window_.Bar(), PBM_GETRANGE, FALSE, (LPARAM)&range);
    EXPECT_EQ(7, range.iHigh);
}

TEST_F(Trashcan, ItemBarsStepUpToSixteenBitsAndShowTheShareDoneBeyond)
{
    const struct {
        long total, done;
        int top, position;
    } cases[] = {
        {5, 3, 5, 3},
        {65535, 65534, 65535, 65534},
        {70003, 1000, 65535, 936},
        {70003, 70003, 65535, 65535},
        {2000000000, 1000000000, 65535, 32768},
    };
    for (const auto& c : cases) {
        SetItemRange(window_.Bar(), c.total);
        ShowItemsDone(window_.Bar(), c.done, c.total);
        PBRANGE range;
        SendMessageA(window_.Bar(), PBM_GETRANGE, FALSE, (LPARAM)&range);
        EXPECT_EQ(0, range.iLow);
        EXPECT_EQ(c.top, range.iHigh) << c.total;
        EXPECT_EQ(c.position, SendMessageA(window_.Bar(), PBM_GETPOS, 0, 0)) << c.done << " of " << c.total;
    }
}

HANDLE g_release;
DWORD WINAPI WaitForRelease(void*)
{
    WaitForSingleObject(g_release, INFINITE);
    return 0;
}

std::atomic<bool> g_dispatched;
WNDPROC g_staticProc;
LRESULT CALLBACK NoteDispatch(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_APP)
        g_dispatched = true;
    return CallWindowProcA(g_staticProc, w, m, wp, lp);
}

DWORD WINAPI ReleaseOnceDispatched(void*)
{
    ui::WaitUntil([] { return g_dispatched.load(); });
    SetEvent(g_release);
    return 0;
}

TEST(FlowGuard, OneFlowAtATimeAndNoneBeforeTheLastWorkerEnded)
{
    WorkerSlot slot;
    FlowGuard guard(slot);
    g_release = CreateEventA(NULL, TRUE, FALSE, NULL);
    ASSERT_TRUE(guard.Begin());
    EXPECT_FALSE(guard.Begin());
    ASSERT_TRUE(slot.Start(WaitForRelease, NULL, THREAD_PRIORITY_HIGHEST));
    guard.End();   // the dialog was cancelled; its worker still runs

    // The next flow waits for that worker, and this thread's messages are
    // handled meanwhile, one that an earlier look at the queue saw included:
    // the worker ends only once it has been.
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    g_staticProc = (WNDPROC)SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)NoteDispatch);
    g_dispatched = false;
    PostMessageA(window, WM_APP, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_APP, WM_APP, PM_NOREMOVE));
    HANDLE releaser = CreateThread(NULL, 0, ReleaseOnceDispatched, NULL, 0, NULL);
    ASSERT_TRUE(guard.Begin());
    EXPECT_TRUE(g_dispatched);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_release, 0));
    guard.End();
    WaitForSingleObject(releaser, ui::kWait);
    CloseHandle(releaser);
    CloseHandle(g_release);
    DestroyWindow(window);
}

}  // namespace
