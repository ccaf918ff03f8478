// What the stand-in driver's tests share: the public requests sent as the
// product sends them, the control requests, the fixture that resets the
// driver around each test, and a window that collects its notifications.
#ifndef VSALVORA_TESTS_DRIVER_CLIENT_H
#define VSALVORA_TESTS_DRIVER_CLIENT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "../vsalvora_ctl.h"
#include "support/standin.h"

namespace vstest {

const UINT kNotifyMessage = WM_USER + 2;

// A public request exactly as the product sends it: a fresh handle opened
// the Windows 95 way, one DeviceIoControl, close.
bool Request(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
             DWORD* error = nullptr);
// A control request on the control device, as the Wine tests send it.
using standin::Control;
using standin::ControlByte;
VSCTL_STATUS Status();

struct Log {
    std::vector<VSCTL_LOG_ENTRY> entries;
    unsigned dropped = 0;
};

// The log, which the driver empties as it is read.
Log ReadLog();
unsigned char QueryState();
bool GetDrive(DWORD drive, unsigned char record[8]);

// The exact in and out sizes of public requests 1..12.
struct Sizes { DWORD in, out; };
const Sizes kSizes[13] = {
    {0, 0}, {0, 0}, {0, 0}, {0, 1}, {0, 0}, {0, 0}, {8, 0}, {4, 8}, {0, 0}, {0, 0}, {8, 0}, {2, 0}, {0, 0},
};

class VSalvora : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Control(VSCTL_RESET, NULL, 0)) << "the stand-in driver is not loaded";
    }
    void TearDown() override { Control(VSCTL_RESET, NULL, 0); }
};

// A window on this thread that collects the driver's notifications.
class NotifyWindow {
public:
    NotifyWindow()
    {
        hwnd_ = CreateWindowA("STATIC", "vsalvora notify", WS_POPUP, 0, 0, 1, 1, NULL, NULL,
                              GetModuleHandleA(NULL), NULL);
    }
    ~NotifyWindow() { DestroyWindow(hwnd_); }
    HWND hwnd() const { return hwnd_; }

    bool Register() const
    {
        DWORD record[2] = {(DWORD)(UINT_PTR)hwnd_, kNotifyMessage};
        return Request(6, record, 8, NULL, 0);
    }

    // The notifications posted so far, as wParam values. The driver posts
    // before it completes the request, so nothing is still on its way.
    std::vector<WPARAM> Take()
    {
        std::vector<WPARAM> got;
        MSG msg;
        while (PeekMessageA(&msg, hwnd_, kNotifyMessage, kNotifyMessage, PM_REMOVE)) {
            EXPECT_EQ(msg.lParam, 0);
            got.push_back(msg.wParam);
        }
        return got;
    }

private:
    HWND hwnd_;
};

}  // namespace vstest

#endif
