// The stand-in driver's twelve requests against its own promises: their
// exact sizes under every transfer method, the global state, the records, the
// state notification, suspend and purge. Needs the driver loaded in the Wine
// session.
#include <string.h>

#include <vector>

#include "driver_client.h"

using namespace vstest;

namespace {

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

}  // namespace
