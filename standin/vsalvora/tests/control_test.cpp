// The stand-in driver's control side against its own promises: the request
// log, absent mode, the delay, forced failures, the control requests' sizes,
// and consistency under concurrent callers. Needs the driver loaded in the
// Wine session.
#include <string.h>

#include <thread>
#include <vector>

#include "driver_client.h"

using namespace vstest;

namespace {

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
