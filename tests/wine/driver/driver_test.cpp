// The driver client against the stand-in driver: what reaches the driver,
// what comes back, and what callers see when there is no driver at all.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "driver/driver.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

class DriverClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standin::Reset()) << "stand-in driver not loaded";
    }
    void TearDown() override { standin::Reset(); }
};

struct Sent {
    DWORD code;
    std::vector<unsigned char> in;
    DWORD outSize;
};

// Each request as the product sends it: its exact input bytes and out size.
std::vector<Sent> ProductRequests()
{
    return {
        {EnableTracking, {}, 0},
        {DisableTracking, {}, 0},
        {QueryState, {}, 1},
        {IconActivated, {}, 0},
        {CheckPresence, {}, 0},
        {RegisterNotifyWindow, {0x34, 0x12, 0, 0, 0x02, 0x04, 0, 0}, 0},
        {GetDriveInfo, {4, 0, 0, 0}, 8},
        {SuspendTracking, {}, 0},
        {ResumeTracking, {}, 0},
        {SetDriveInfo, {4, 1, 0x00, 0x10, 0x20, 0x00, 10, 5}, 0},
        {DisableDrive, {4, 0}, 0},
        {TrashcanPurged, {}, 0},
    };
}

TEST_F(DriverClient, EveryRequestArrivesWithItsBytesAndSizes)
{
    std::vector<Sent> sent = ProductRequests();
    for (const Sent& s : sent) {
        unsigned char out[8] = {0};
        DWORD returned = 0;
        EXPECT_TRUE(DriverRequest(s.code, s.in.empty() ? NULL : s.in.data(), (DWORD)s.in.size(),
                                  s.outSize ? out : NULL, s.outSize, &returned))
            << "request " << s.code;
    }
    std::vector<standin::Request> log = standin::TakeLog();
    ASSERT_EQ(sent.size(), log.size()) << standin::Describe(log);
    for (size_t i = 0; i < sent.size(); ++i) {
        EXPECT_EQ(sent[i].code, log[i].code);
        EXPECT_EQ(sent[i].in.size(), log[i].inSize) << "request " << sent[i].code;
        EXPECT_EQ(sent[i].outSize, log[i].outSize) << "request " << sent[i].code;
        EXPECT_EQ(sent[i].in, log[i].in) << "request " << sent[i].code;
        EXPECT_TRUE(log[i].succeeded) << "request " << sent[i].code;
    }
}

TEST_F(DriverClient, StateAndDriveRecordsComeBack)
{
    EXPECT_EQ(1, QueryDriverState());
    ASSERT_TRUE(standin::SetState(false));
    EXPECT_EQ(0, QueryDriverState());

    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 1000, 15, 30));
    DriveRecord d = QueryDriveRecord(4);
    EXPECT_EQ(4, d.drive);
    EXPECT_EQ(1, d.enabled);
    EXPECT_EQ(4096, d.clusterSize);
    EXPECT_EQ(1000, d.maxClusters);
    EXPECT_EQ(15, d.maxPercent);
    EXPECT_EQ(30, d.dayCount);

    // What SetDriveInfo stores is what GetDriveInfo answers.
    DriveRecord set = {5, 1, 512, 77, 3, 0};
    DWORD returned = 0;
    ASSERT_TRUE(DriverRequest(SetDriveInfo, &set, sizeof set, NULL, 0, &returned));
    DriveRecord got = QueryDriveRecord(5);
    EXPECT_EQ(0, memcmp(&set, &got, sizeof set));

    WORD drive = 5;
    ASSERT_TRUE(DriverRequest(DisableDrive, &drive, sizeof drive, NULL, 0, &returned));
    EXPECT_EQ(0, QueryDriveRecord(5).enabled);
}

TEST_F(DriverClient, OpensTheDeviceAfreshForEveryRequest)
{
    VSCTL_STATUS before, after;
    ASSERT_TRUE(standin::Status(&before));
    for (int i = 0; i < 5; ++i)
        QueryDriverState();
    DWORD returned = 0;
    DriverRequest(CheckPresence, NULL, 0, NULL, 0, &returned);
    ASSERT_TRUE(standin::Status(&after));
    EXPECT_EQ(before.openCount + 6, after.openCount);
}

TEST_F(DriverClient, NothingIsWrittenWithoutADriver)
{
    ASSERT_TRUE(standin::SetState(true));
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(standin::SetAbsent(true));

    // Exactly what a machine without the driver shows the caller.
    HANDLE h = CreateFileA("\\\\.\\VSALVORA", 0, 0, NULL, 0, 0, NULL);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);

    for (const Sent& s : ProductRequests()) {
        std::vector<unsigned char> in = s.in;
        unsigned char out[8];
        memset(out, 0xCC, sizeof out);
        DWORD returned = 0xCCCCCCCC;
        EXPECT_FALSE(DriverRequest(s.code, in.empty() ? NULL : in.data(), (DWORD)in.size(),
                                   s.outSize ? out : NULL, s.outSize, &returned))
            << "request " << s.code;
        EXPECT_EQ(s.in, in);
        for (unsigned char b : out)
            EXPECT_EQ(0xCC, b) << "request " << s.code;
        EXPECT_EQ(0xCCCCCCCCu, returned) << "request " << s.code;
    }

    // Callers that read the answer regardless see "disabled" and "not protected".
    EXPECT_EQ(0, QueryDriverState());
    DriveRecord d = QueryDriveRecord(4);
    const DriveRecord zero = {0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, memcmp(&zero, &d, sizeof d));

    ASSERT_TRUE(standin::SetAbsent(false));
    EXPECT_TRUE(standin::TakeLog().empty());
    EXPECT_EQ(1, QueryDriverState());
    EXPECT_EQ(1, QueryDriveRecord(4).enabled);
}

TEST_F(DriverClient, FailedAnswersReadAsDisabledAndUnprotected)
{
    ASSERT_TRUE(standin::Protect('D'));
    ASSERT_TRUE(standin::SetFailMask((1u << QueryState) | (1u << GetDriveInfo)));
    EXPECT_EQ(0, QueryDriverState());
    EXPECT_EQ(0, QueryDriveRecord(4).enabled);
    // A drive the driver does not know is not protected either.
    ASSERT_TRUE(standin::SetFailMask(0));
    EXPECT_EQ(0, QueryDriveRecord(35).enabled);
    EXPECT_EQ(0, QueryDriveRecord(0).enabled);

    // One drive's record failed, or answered short: a failure, and a record
    // that is all zero, not the bytes that came.
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 1000, 15, 30));
    const DriveRecord zero = {0, 0, 0, 0, 0, 0};
    for (BYTE answer : {(BYTE)VSCTL_ANSWER_FAIL, (BYTE)0, (BYTE)2, (BYTE)7}) {
        SCOPED_TRACE((int)answer);
        ASSERT_TRUE(standin::SetAnswer('D', answer));
        DriveRecord d;
        memset(&d, 0xCC, sizeof d);
        EXPECT_FALSE(FetchDriveRecord(4, &d));
        EXPECT_EQ(0, memcmp(&zero, &d, sizeof d));
        DWORD drive = 4, returned = 0xCCCCCCCC;
        EXPECT_FALSE(DriverRequest(GetDriveInfo, &drive, sizeof drive, &d, sizeof d, &returned));
        EXPECT_EQ(answer == VSCTL_ANSWER_FAIL ? 0u : answer, returned);
    }
}

TEST_F(DriverClient, TheSetDriveRecord)
{
    DriveRecord r = {4, 1, 4096, 100, 10, 0};
    DWORD returned = 0;
    ASSERT_TRUE(DriverRequest(SetDriveInfo, &r, sizeof r, NULL, 0, &returned));
    std::vector<standin::Request> log = standin::TakeLog();
    ASSERT_EQ(1u, log.size());
    ASSERT_EQ(8u, log[0].in.size());
    EXPECT_EQ(4, log[0].in[0]);
    EXPECT_EQ(1, log[0].in[1]);
}

TEST_F(DriverClient, WrongSizesAreRefused)
{
    // The stand-in is strict, so a caller that sends the wrong size fails here
    // as it might on a real driver.
    unsigned char out[8];
    DWORD drive = 4, returned = 0;
    EXPECT_FALSE(DriverRequest(GetDriveInfo, &drive, 4, out, 4, &returned));
    EXPECT_FALSE(DriverRequest(GetDriveInfo, &drive, 2, out, 8, &returned));
    EXPECT_FALSE(DriverRequest(QueryState, NULL, 0, out, 4, &returned));
    EXPECT_FALSE(DriverRequest(DisableDrive, &drive, 4, NULL, 0, &returned));
    EXPECT_FALSE(DriverRequest(EnableTracking, &drive, 4, NULL, 0, &returned));
}

// The registered window hears of every change of the global state.
struct Listener {
    HWND window = NULL;
    std::vector<WPARAM> states;
};
Listener* g_listener;

LRESULT CALLBACK ListenerProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_USER + 2) {
        g_listener->states.push_back(wp);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

TEST_F(DriverClient, RegisteredWindowHearsStateChanges)
{
    Listener listener;
    g_listener = &listener;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ListenerProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "DriverClientListener";
    RegisterClassA(&wc);
    listener.window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                                      wc.hInstance, NULL);
    ASSERT_TRUE(listener.window);

    NotifyRegistration reg = {(DWORD)(UINT_PTR)listener.window, WM_USER + 2};
    DWORD returned = 0;
    ASSERT_TRUE(DriverRequest(RegisterNotifyWindow, &reg, sizeof reg, NULL, 0, &returned));
    DriverRequest(DisableTracking, NULL, 0, NULL, 0, &returned);
    DriverRequest(IconActivated, NULL, 0, NULL, 0, &returned);
    DriverRequest(IconActivated, NULL, 0, NULL, 0, &returned);
    EXPECT_TRUE(ui::WaitUntil([&] { return listener.states.size() >= 3; }));
    EXPECT_EQ((std::vector<WPARAM>{0, 1, 0}), listener.states);
    DestroyWindow(listener.window);
}

}  // namespace
