// The stand-in driver against its own promises: the twelve requests with
// their exact sizes under every transfer method, the records, the state
// notification, the request log, absent mode, forced failures, and
// consistency under concurrent callers. Needs the driver loaded in the
// Wine session.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <thread>
#include <vector>

#include "../vsalvora_ctl.h"

namespace {

const UINT kNotifyMessage = WM_USER + 2;

// A public request exactly as the product sends it: a fresh handle opened
// the Windows 95 way, one DeviceIoControl, close.
bool Request(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
             DWORD* error = nullptr)
{
    HANDLE h = CreateFileA(VSCTL_PUBLIC_NAME_A, 0, 0, NULL, 0, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        if (error) *error = GetLastError();
        return false;
    }
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned,
                              NULL);
    if (error) *error = ok ? 0 : GetLastError();
    CloseHandle(h);
    return ok != FALSE;
}

bool Control(DWORD code, const void* in, DWORD inSize, void* out = nullptr, DWORD outSize = 0)
{
    HANDLE h = CreateFileA(VSCTL_CONTROL_NAME_A, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned,
                              NULL);
    CloseHandle(h);
    return ok != FALSE;
}

bool ControlByte(DWORD code, unsigned char value) { return Control(code, &value, 1); }

VSCTL_STATUS Status()
{
    VSCTL_STATUS s;
    memset(&s, 0xEE, sizeof(s));
    EXPECT_TRUE(Control(VSCTL_GET_STATUS, NULL, 0, &s, sizeof(s)));
    return s;
}

struct Log {
    std::vector<VSCTL_LOG_ENTRY> entries;
    unsigned dropped = 0;
};

Log ReadLog()
{
    std::vector<unsigned char> raw(sizeof(VSCTL_LOG));
    VSCTL_LOG* log = reinterpret_cast<VSCTL_LOG*>(raw.data());
    Log result;
    EXPECT_TRUE(Control(VSCTL_READ_LOG, NULL, 0, log, sizeof(VSCTL_LOG)));
    EXPECT_LE(log->count, (unsigned)VSCTL_LOG_CAPACITY);
    result.entries.assign(log->entries, log->entries + log->count);
    result.dropped = log->dropped;
    return result;
}

unsigned char QueryState()
{
    unsigned char state = 0xEE;
    EXPECT_TRUE(Request(3, NULL, 0, &state, 1));
    return state;
}

bool GetDrive(DWORD drive, unsigned char record[8])
{
    return Request(7, &drive, 4, record, 8);
}

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

TEST_F(VSalvora, EveryRequestSucceedsWithItsExactSizesAndFailsWithAnyOther)
{
    unsigned char in[16], out[16];
    struct Sent { DWORD code, in, out; bool ok; };
    std::vector<Sent> sent;

    for (DWORD code = 1; code <= 12; code++) {
        memset(in, 0, sizeof(in));
        in[0] = 1;  // drive A: for 7, 10 and 11; a window handle of 1 for 6
        const Sizes s = kSizes[code];
        EXPECT_TRUE(Request(code, s.in ? in : NULL, s.in, s.out ? out : NULL, s.out)) << code;
        sent.push_back({code, s.in, s.out, true});

        // One byte more or less on either side, and an out buffer the
        // request does not expect, all fail and write nothing.
        const Sizes wrong[] = {{s.in + 1, s.out}, {s.in, s.out + 1}, {s.in ? s.in - 1 : 4, s.out},
                               {s.in, s.out ? s.out - 1 : 8}};
        for (const Sizes& w : wrong) {
            memset(out, 0xAA, sizeof(out));
            DWORD error = 0;
            EXPECT_FALSE(Request(code, w.in ? in : NULL, w.in, w.out ? out : NULL, w.out, &error))
                << "code " << code << " in " << w.in << " out " << w.out;
            EXPECT_NE(error, 0u);
            for (unsigned char b : out)
                ASSERT_EQ(b, 0xAA) << "code " << code << " wrote into a failed request's buffer";
            sent.push_back({code, w.in, w.out, false});
        }
    }

    Log log = ReadLog();
    ASSERT_EQ(log.entries.size(), sent.size());
    EXPECT_EQ(log.dropped, 0u);
    for (size_t i = 0; i < sent.size(); i++) {
        const VSCTL_LOG_ENTRY& e = log.entries[i];
        EXPECT_EQ(e.seq, i + 1);
        EXPECT_EQ(e.code, sent[i].code);
        EXPECT_EQ(e.inSize, sent[i].in);
        EXPECT_EQ(e.outSize, sent[i].out);
        EXPECT_EQ(e.succeeded != 0, sent[i].ok) << "entry " << i;
    }
    EXPECT_EQ(Status().openCount, sent.size());
}

TEST_F(VSalvora, GlobalStateRoundTripsThroughRequestsAndControl)
{
    EXPECT_EQ(QueryState(), 1);
    EXPECT_TRUE(Request(2, NULL, 0, NULL, 0));
    EXPECT_EQ(QueryState(), 0);
    EXPECT_TRUE(Request(2, NULL, 0, NULL, 0));
    EXPECT_EQ(QueryState(), 0);
    EXPECT_TRUE(Request(4, NULL, 0, NULL, 0));
    EXPECT_EQ(QueryState(), 1);
    EXPECT_TRUE(Request(4, NULL, 0, NULL, 0));
    EXPECT_EQ(QueryState(), 0);
    EXPECT_TRUE(Request(1, NULL, 0, NULL, 0));
    EXPECT_EQ(QueryState(), 1);
    EXPECT_TRUE(ControlByte(VSCTL_SET_STATE, 0));
    EXPECT_EQ(QueryState(), 0);
    EXPECT_EQ(Status().state, 0);
    EXPECT_TRUE(ControlByte(VSCTL_SET_STATE, 7));
    EXPECT_EQ(QueryState(), 1);
}

TEST_F(VSalvora, DriveRecordsRoundTripAndOutOfRangeDrivesFail)
{
    unsigned char r[8];
    for (DWORD d = 1; d <= 26; d++) {
        ASSERT_TRUE(GetDrive(d, r));
        const unsigned char expected[8] = {(unsigned char)d, 0, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(memcmp(r, expected, 8), 0) << d;
    }

    const unsigned char d4[8] = {4, 1, 0x00, 0x10, 0x34, 0x12, 50, 7};
    EXPECT_TRUE(Request(10, d4, 8, NULL, 0));
    ASSERT_TRUE(GetDrive(4, r));
    EXPECT_EQ(memcmp(r, d4, 8), 0);
    EXPECT_EQ(memcmp(Status().drives[3], d4, 8), 0);

    const WORD four = 4;
    EXPECT_TRUE(Request(11, &four, 2, NULL, 0));
    ASSERT_TRUE(GetDrive(4, r));
    const unsigned char d4off[8] = {4, 0, 0x00, 0x10, 0x34, 0x12, 50, 7};
    EXPECT_EQ(memcmp(r, d4off, 8), 0);

    const unsigned char z[8] = {26, 1, 0, 2, 0, 1, 10, 0};
    EXPECT_TRUE(Control(VSCTL_SET_DRIVE, z, 8));
    ASSERT_TRUE(GetDrive(26, r));
    EXPECT_EQ(memcmp(r, z, 8), 0);

    // Out of range, including values whose low byte names a real drive.
    for (DWORD bad : {0ul, 27ul, 0x104ul, 0xFFFFFFFFul}) {
        memset(r, 0xAA, 8);
        EXPECT_FALSE(GetDrive(bad, r)) << bad;
        EXPECT_EQ(r[0], 0xAA);
    }
    for (WORD bad : {(WORD)0, (WORD)27, (WORD)0x104})
        EXPECT_FALSE(Request(11, &bad, 2, NULL, 0)) << bad;
    for (unsigned char bad : {(unsigned char)0, (unsigned char)27}) {
        unsigned char rec[8] = {bad, 1, 0, 2, 0, 1, 10, 0};
        EXPECT_FALSE(Request(10, rec, 8, NULL, 0));
        EXPECT_FALSE(Control(VSCTL_SET_DRIVE, rec, 8));
    }
    EXPECT_FALSE(Control(VSCTL_SET_DRIVE, z, 7));
}

TEST_F(VSalvora, StateChangesArePostedToTheRegisteredWindow)
{
    NotifyWindow w;
    ASSERT_TRUE(w.hwnd());
    ASSERT_TRUE(w.Register());
    VSCTL_STATUS s = Status();
    EXPECT_EQ(s.notifyWindow, (DWORD)(UINT_PTR)w.hwnd());
    EXPECT_EQ(s.notifyMessage, kNotifyMessage);

    EXPECT_TRUE(Request(2, NULL, 0, NULL, 0));
    EXPECT_EQ(w.Take(), std::vector<WPARAM>{0});
    EXPECT_TRUE(Request(1, NULL, 0, NULL, 0));
    EXPECT_EQ(w.Take(), std::vector<WPARAM>{1});
    EXPECT_TRUE(Request(1, NULL, 0, NULL, 0));  // no change, nothing to tell
    EXPECT_TRUE(w.Take().empty());
    EXPECT_TRUE(Request(4, NULL, 0, NULL, 0));
    EXPECT_TRUE(Request(4, NULL, 0, NULL, 0));
    EXPECT_EQ(w.Take(), (std::vector<WPARAM>{0, 1}));
    EXPECT_TRUE(ControlByte(VSCTL_SET_STATE, 0));
    EXPECT_EQ(w.Take(), std::vector<WPARAM>{0});

    // Held notifications are dropped, not delivered later.
    EXPECT_TRUE(ControlByte(VSCTL_SET_NOTIFY, 0));
    EXPECT_TRUE(Request(4, NULL, 0, NULL, 0));
    EXPECT_TRUE(w.Take().empty());
    EXPECT_EQ(QueryState(), 1);
    EXPECT_TRUE(ControlByte(VSCTL_SET_NOTIFY, 1));
    EXPECT_TRUE(w.Take().empty());
    EXPECT_TRUE(Request(2, NULL, 0, NULL, 0));
    EXPECT_EQ(w.Take(), std::vector<WPARAM>{0});
    EXPECT_EQ(Status().postCount, 6u);

    // A reset forgets the registration.
    EXPECT_TRUE(Control(VSCTL_RESET, NULL, 0));
    EXPECT_TRUE(Request(2, NULL, 0, NULL, 0));
    EXPECT_TRUE(w.Take().empty());
}

TEST_F(VSalvora, SuspendNestsResumeAtZeroFailsAndPurgesAreCounted)
{
    EXPECT_FALSE(Request(9, NULL, 0, NULL, 0));
    EXPECT_EQ(Status().suspendCount, 0u);
    EXPECT_TRUE(Request(8, NULL, 0, NULL, 0));
    EXPECT_TRUE(Request(8, NULL, 0, NULL, 0));
    EXPECT_EQ(Status().suspendCount, 2u);
    EXPECT_TRUE(Request(9, NULL, 0, NULL, 0));
    EXPECT_TRUE(Request(9, NULL, 0, NULL, 0));
    EXPECT_FALSE(Request(9, NULL, 0, NULL, 0));
    EXPECT_EQ(Status().suspendCount, 0u);

    EXPECT_TRUE(Request(12, NULL, 0, NULL, 0));
    EXPECT_TRUE(Request(12, NULL, 0, NULL, 0));
    EXPECT_EQ(Status().purgeCount, 2u);
    EXPECT_TRUE(Request(5, NULL, 0, NULL, 0));
}

TEST_F(VSalvora, LogKeepsUnknownCodesAndFirstInputBytesAndNeverOverruns)
{
    unsigned char big[40];
    for (unsigned i = 0; i < sizeof(big); i++)
        big[i] = (unsigned char)(0x80 + i);
    unsigned char out[8];
    // Unknown codes under each transfer method, including a device type
    // that is neither the public nor the control one.
    const DWORD unknown[] = {0, 13, 0x00220000, 0x00220005, 0x0022000A, 0x0022000F,
                             ((DWORD)VSCTL_DEVICE_TYPE << 16) | 0x1000};
    for (DWORD code : unknown) {
        memset(out, 0xAA, sizeof(out));
        EXPECT_FALSE(Request(code, big, sizeof(big), out, sizeof(out))) << code;
        EXPECT_EQ(out[0], 0xAA);
    }
    // Control codes are answered on the public name too, and never logged.
    const unsigned char on = 1;
    EXPECT_TRUE(Request(VSCTL_SET_NOTIFY, &on, 1, NULL, 0));

    Log log = ReadLog();
    ASSERT_EQ(log.entries.size(), sizeof(unknown) / sizeof(unknown[0]));
    for (size_t i = 0; i < log.entries.size(); i++) {
        const VSCTL_LOG_ENTRY& e = log.entries[i];
        EXPECT_EQ(e.code, unknown[i]);
        EXPECT_EQ(e.inSize, sizeof(big));
        EXPECT_EQ(e.outSize, sizeof(out));
        EXPECT_EQ(e.succeeded, 0u);
        EXPECT_EQ(memcmp(e.in, big, VSCTL_LOG_INBYTES), 0) << "code " << unknown[i];
    }

    // Reading cleared it, numbering goes on; now fill it past its capacity.
    const unsigned before = log.entries.back().seq;
    const unsigned total = VSCTL_LOG_CAPACITY + 44;
    for (unsigned i = 0; i < total; i++)
        ASSERT_TRUE(Request(5, NULL, 0, NULL, 0));
    log = ReadLog();
    ASSERT_EQ(log.entries.size(), (size_t)VSCTL_LOG_CAPACITY);
    EXPECT_EQ(log.dropped, total - VSCTL_LOG_CAPACITY);
    EXPECT_EQ(log.entries.front().seq, before + 1);
    EXPECT_EQ(log.entries.back().seq, before + VSCTL_LOG_CAPACITY);
    ASSERT_TRUE(Request(5, NULL, 0, NULL, 0));
    log = ReadLog();
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].seq, before + total + 1);
    EXPECT_EQ(log.dropped, 0u);
}

TEST_F(VSalvora, AbsentModeFailsTheOpenLikeAMissingDriver)
{
    // The error of a device name nobody provides, as with no driver loaded.
    HANDLE none = CreateFileA("\\\\.\\VSALVORQ", 0, 0, NULL, 0, 0, NULL);
    ASSERT_EQ(none, INVALID_HANDLE_VALUE);
    const DWORD missing = GetLastError();

    ASSERT_TRUE(ControlByte(VSCTL_SET_ABSENT, 1));
    EXPECT_EQ(Status().absent, 1);
    for (DWORD code = 1; code <= 12; code++) {
        unsigned char in[8] = {1}, out[8];
        memset(out, 0xAA, sizeof(out));
        DWORD error = 0;
        EXPECT_FALSE(Request(code, kSizes[code].in ? in : NULL, kSizes[code].in,
                             kSizes[code].out ? out : NULL, kSizes[code].out, &error));
        EXPECT_EQ(error, missing) << code;
        EXPECT_EQ(out[0], 0xAA);
    }
    VSCTL_STATUS s = Status();
    EXPECT_EQ(s.openCount, 0u);
    EXPECT_TRUE(ReadLog().entries.empty());

    ASSERT_TRUE(ControlByte(VSCTL_SET_ABSENT, 0));
    EXPECT_EQ(QueryState(), 1);
    ASSERT_TRUE(ControlByte(VSCTL_SET_ABSENT, 1));
    ASSERT_TRUE(Control(VSCTL_RESET, NULL, 0));  // a reset brings the name back too
    EXPECT_TRUE(Request(5, NULL, 0, NULL, 0));
    EXPECT_EQ(Status().openCount, 1u);
}

TEST_F(VSalvora, DelayHoldsPublicRequestsUntilAReset)
{
    DWORD ms = 300, tooLong = VSCTL_MAX_DELAY_MS + 1;
    EXPECT_FALSE(Control(VSCTL_SET_DELAY, &tooLong, 4));
    ASSERT_TRUE(Control(VSCTL_SET_DELAY, &ms, 4));
    EXPECT_EQ(Status().delayMs, 300u);
    DWORD start = GetTickCount();
    EXPECT_TRUE(Request(5, NULL, 0, NULL, 0));
    EXPECT_GE(GetTickCount() - start, 250u);

    ASSERT_TRUE(Control(VSCTL_RESET, NULL, 0));
    EXPECT_EQ(Status().delayMs, 0u);
}

TEST_F(VSalvora, FailMaskFailsChosenRequestsWithoutTheirEffects)
{
    NotifyWindow w;
    ASSERT_TRUE(w.Register());
    const DWORD mask = (1u << 2) | (1u << 3) | (1u << 7);
    ASSERT_TRUE(Control(VSCTL_SET_FAILMASK, &mask, 4));
    EXPECT_EQ(Status().failMask, mask);

    unsigned char out[8];
    memset(out, 0xAA, sizeof(out));
    EXPECT_FALSE(Request(3, NULL, 0, out, 1));
    EXPECT_FALSE(GetDrive(3, out));
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_FALSE(Request(2, NULL, 0, NULL, 0));
    EXPECT_EQ(Status().state, 1);
    EXPECT_TRUE(w.Take().empty());
    EXPECT_TRUE(Request(5, NULL, 0, NULL, 0));

    Log log = ReadLog();  // registration, 3, 7, 2, 5
    ASSERT_EQ(log.entries.size(), 5u);
    EXPECT_EQ(log.entries[3].code, 2u);
    EXPECT_EQ(log.entries[3].succeeded, 0u);
    EXPECT_EQ(log.entries[4].succeeded, 1u);

    const DWORD none = 0;
    ASSERT_TRUE(Control(VSCTL_SET_FAILMASK, &none, 4));
    EXPECT_EQ(QueryState(), 1);
}

TEST_F(VSalvora, ControlRequestsCheckTheirSizes)
{
    unsigned char two[2] = {0, 0};
    EXPECT_FALSE(Control(VSCTL_SET_STATE, two, 2));
    EXPECT_FALSE(Control(VSCTL_SET_STATE, NULL, 0));
    EXPECT_FALSE(Control(VSCTL_SET_FAILMASK, two, 2));
    EXPECT_FALSE(Control(VSCTL_RESET, two, 1));
    VSCTL_STATUS s;
    EXPECT_FALSE(Control(VSCTL_GET_STATUS, NULL, 0, &s, sizeof(s) - 1));
    EXPECT_FALSE(Control(VSCTL_CODE(99), NULL, 0));
    // An answer is whole, failed or 0..7 bytes, for drives 1..26.
    const unsigned char answers[][2] = {{4, 9}, {4, 0xFE}, {0, 8}, {27, 8}};
    for (const auto& answer : answers)
        EXPECT_FALSE(Control(VSCTL_SET_ANSWER, answer, 2)) << (int)answer[0] << " " << (int)answer[1];
    EXPECT_FALSE(Control(VSCTL_SET_ANSWER, two, 1));
    EXPECT_EQ(Status().state, 1);
    // The control device answers no public request.
    EXPECT_FALSE(Control(5, NULL, 0));
}

TEST_F(VSalvora, ConcurrentCallersKeepCountsAndLogConsistent)
{
    const int threads = 4, rounds = 60;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; t++) {
        workers.emplace_back([] {
            for (int i = 0; i < rounds; i++) {
                Request(8, NULL, 0, NULL, 0);
                Request(4, NULL, 0, NULL, 0);
                Request(9, NULL, 0, NULL, 0);
            }
        });
    }
    // The control side at the same time.
    for (int i = 0; i < 50; i++)
        Status();
    for (std::thread& w : workers)
        w.join();

    VSCTL_STATUS s = Status();
    EXPECT_EQ(s.suspendCount, 0u);
    EXPECT_EQ(s.state, 1);  // an even number of toggles
    EXPECT_EQ(s.openCount, (unsigned)(threads * rounds * 3));
    Log log = ReadLog();
    EXPECT_EQ(log.entries.size() + log.dropped, (size_t)(threads * rounds * 3));
    for (size_t i = 0; i < log.entries.size(); i++) {
        EXPECT_EQ(log.entries[i].seq, i + 1);
        EXPECT_EQ(log.entries[i].succeeded, 1u);
    }
}

}  // namespace
