// The protocol between a progress dialog and its worker, shared by every
// flow of both deliverables: bars that count items, the worker's own message
// that ends a dialog as done, and one flow at a time.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>

#include "progress/progress.h"
#include "support/ui.h"
#include "tray/resource.h"

namespace {

// A bar of its own, in a window of the test's thread.
class ItemBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControls();
        window_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 100, NULL, NULL, NULL, NULL);
        bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 100, 10, window_, NULL, NULL, NULL);
        ASSERT_TRUE(bar_ != NULL);
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = NULL;
    HWND bar_ = NULL;
};

TEST_F(ItemBar, BarsBeyondSixteenBitsAreScaled)
{
    SetItemRange(bar_, 70000);
    PBRANGE range;
    SendMessageA(bar_, PBM_GETRANGE, FALSE, (LPARAM)&range);
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(0xFFFF, range.iHigh);
    SetItemRange(bar_, 7);
    SendMessageA(bar_, PBM_GETRANGE, FALSE, (LPARAM)&range);
    EXPECT_EQ(7, range.iHigh);
}

TEST_F(ItemBar, StepsUpToSixteenBitsAndShowsTheShareDoneBeyond)
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
        SetItemRange(bar_, c.total);
        ShowItemsDone(bar_, c.done, c.total);
        PBRANGE range;
        SendMessageA(bar_, PBM_GETRANGE, FALSE, (LPARAM)&range);
        EXPECT_EQ(0, range.iLow);
        EXPECT_EQ(c.top, range.iHigh) << c.total;
        EXPECT_EQ(c.position, SendMessageA(bar_, PBM_GETPOS, 0, 0)) << c.done << " of " << c.total;
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

// A worker that makes its dialog's Cancel the default button (DM_SETDEFID
// shares its number with the worker's done message), then ends the run as
// the user's Cancel in a question of its own would.
DWORD WINAPI SetDefaultThenCancel(void* param)
{
    ProgressRun* run = RunOf<ProgressRun>(param);
    SendMessageA(run->dialog, DM_SETDEFID, IDCANCEL, 0);
    SendMessageA(run->dialog, WM_NULL, 0, 0);
    CloseProgressAsCancel(run);
    return 0;
}

TEST(ProgressDialog, OnlyTheWorkersOwnMessageEndsItAsDone)
{
    WorkerSlot slot;
    volatile BYTE cancel = 1;
    const ProgressCells cells = {cancel, NULL, slot, THREAD_PRIORITY_NORMAL, false};
    const ProgressDialogKind kind = {WS_CHILD, 0, 0, 30, 30, 0, NULL, SetDefaultThenCancel, 7, 8};
    RunHandle<ProgressRun> run;
    EXPECT_EQ(7, RunProgressDialog(cells, GetModuleHandleA(NULL), IDD_SEARCH, NULL, kind, run.get()));
    ASSERT_TRUE(slot.Join());
    EXPECT_TRUE(run->started);
    EXPECT_EQ(1, cancel);
}

}  // namespace
