// What the tests of the Trashcan machinery share: real files of a test drive,
// a stand-in progress dialog whose controls record every text a worker gives
// them, and the worker's thread.
#ifndef SALVORA_TEST_TRASHCANTEST_H
#define SALVORA_TEST_TRASHCANTEST_H

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/ui.h"
#include "trashcan/trashcan.h"

namespace trashcantest {

using files::InTrashcan;

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
    ProgressWindow window_;
    volatile BYTE cancel_ = 0;
};

// The failures the removal reported.
inline int g_failures;
inline void CountFailure() { ++g_failures; }

inline RemovalRun NewRun(ProgressWindow& w, long total, volatile BYTE* cancel)
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

}  // namespace trashcantest

#endif
