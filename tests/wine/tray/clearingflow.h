// The clearing flow run inside a test, for what only the applet's own process
// sees: the texts its workers give the progress dialogs and the range of the
// removal's bar (recorded by a hook on the thread that runs the flow), and
// the rows of the results list, read and double-clicked through the list
// view. Another thread of the test plays the user; the files left on the
// test drives and the driver's log say what the flow did.
#ifndef SALVORA_TEST_CLEARINGFLOW_H
#define SALVORA_TEST_CLEARINGFLOW_H

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/files.h"
#include "support/standin.h"
#include "support/ui.h"
#include "tray/tray.h"
#include "trayhelpers.h"

namespace clearingflow {

using files::InTrashcan;
using traytest::kRemove;
using traytest::kResults;
using traytest::kSearch;

// What the flow's dialogs showed, recorded on the thread that runs them.
struct Seen {
    std::vector<std::string> opened;     // dialog captions, message boxes too
    std::vector<std::string> counts;     // the search's count line
    std::vector<std::string> drives;     // the search's drive line
    std::vector<std::string> percents;   // the removal's percentage
    std::vector<int> ranges;             // the top of the removal's bar, as it was set
};

// The caption as the window manager keeps it: a hook must not send messages
// to the windows being made.
inline std::string Caption(HWND window)
{
    WCHAR text[64] = L"";
    InternalGetWindowText(window, text, 64);
    char narrow[64] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, NULL, NULL);
    return narrow;
}

inline int ImageOf(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item);
    return item.iImage;
}

// Each row as "drive | files | size | image".
inline std::vector<std::string> ReadRows(HWND list)
{
    std::vector<std::string> rows;
    int count = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        std::string row;
        for (int column = 0; column < 3; ++column) {
            char text[64] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(list, LVM_GETITEMTEXTA, i, (LPARAM)&item);
            row += std::string(text) + " | ";
        }
        rows.push_back(row + std::to_string(ImageOf(list, i)));
    }
    return rows;
}

// Selects the row (-1: none), then double-clicks the list as the list view
// reports it.
inline void DoubleClick(HWND dialog, int row)
{
    HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&state);
    if (row >= 0) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, row, (LPARAM)&state);
    }
    NMITEMACTIVATE note = {};
    note.hdr.hwndFrom = list;
    note.hdr.idFrom = IDC_RESULTS_LIST;
    note.hdr.code = NM_DBLCLK;
    note.iItem = row;
    SendMessageA(dialog, WM_NOTIFY, IDC_RESULTS_LIST, (LPARAM)&note);
}

class ClearingFlow : public traytest::InProcessTray {
protected:
    void SetUp() override
    {
        InProcessTray::SetUp();
        for (char drive : kDrives) {
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
            ASSERT_TRUE(files::MakeDirs(files::Trashcan(drive)));
        }
        seen = Seen();
        cancelOnOpen.clear();
        hook = SetWindowsHookExA(WH_CALLWNDPROC, Watch, NULL, GetCurrentThreadId());
    }
    void TearDown() override
    {
        UnhookWindowsHookEx(hook);
        InProcessTray::TearDown();
        for (char drive : kDrives)
            files::RemoveTree(std::string(1, drive) + ":\\RECYCLED");
    }

    // Runs the flow on this thread while `user` plays the user on another;
    // whatever the user leaves open is cancelled, and the test fails.
    void Run(int mode, const std::function<void()>& user = [] {})
    {
        std::atomic<bool> over(false);
        std::thread player([&] {
            user();
            if (ui::WaitUntil([&] { return over.load(); }))
                return;
            ADD_FAILURE() << "the flow did not end";
            while (!over) {
                if (HWND left = ui::FindVisibleWindow("#32770", NULL, GetCurrentProcessId()))
                    PostMessageA(left, WM_COMMAND, IDCANCEL, 0);
                Sleep(50);
            }
        });
        ClearAllTrashcans(mode);
        over = true;
        player.join();
    }

    static constexpr char kDrives[] = {'D', 'E', 'M'};
    static inline Seen seen;
    static inline std::string cancelOnOpen;   // a dialog to cancel before its worker can finish

private:
    static void Record(const CWPSTRUCT& m)
    {
        if (m.message == WM_INITDIALOG) {
            std::string caption = Caption(m.hwnd);
            if (caption.rfind("Salvora:", 0) == 0)
                seen.opened.push_back(caption);
            if (!cancelOnOpen.empty() && caption == cancelOnOpen)
                PostMessageA(m.hwnd, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        bool text = m.message == WM_SETTEXT && m.lParam;
        bool range = m.message == PBM_SETRANGE || m.message == PBM_SETRANGE32;
        if (!(text || range) || !GetParent(m.hwnd))
            return;
        std::string dialog = Caption(GetParent(m.hwnd));
        int id = GetDlgCtrlID(m.hwnd);
        if (range && dialog == kRemove && id == IDC_PROGRESS_BAR)
            seen.ranges.push_back(m.message == PBM_SETRANGE ? HIWORD(m.lParam) : (int)m.lParam);
        if (!text)
            return;
        if (dialog == kSearch && id == IDC_PROGRESS_COUNT)
            seen.counts.push_back(reinterpret_cast<const char*>(m.lParam));
        else if (dialog == kSearch && id == IDC_PROGRESS_DRIVE)
            seen.drives.push_back(reinterpret_cast<const char*>(m.lParam));
        else if (dialog == kRemove && id == IDC_PROGRESS_PERCENT)
            seen.percents.push_back(reinterpret_cast<const char*>(m.lParam));
    }

    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION)
            Record(*reinterpret_cast<const CWPSTRUCT*>(lParam));
        return CallNextHookEx(hook, code, wParam, lParam);
    }

    static inline HHOOK hook;
};

}  // namespace clearingflow

#endif
