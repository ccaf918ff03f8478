// What the drive's "Salvora" page sends the driver (drivepage.h): on OK
// alone, for each kind of day count, with tracking switched off and on, on
// Cancel, and when the driver does not give a record.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "drivepage.h"

namespace {

using namespace drivepagetest;

TEST_F(DrivePage, OkWithoutChangesStillSendsAndRewrites)
{
    // The page counts as changed from the start: OK alone applies it.
    const struct Case {
        bool tracking;
        std::string ini;
    } cases[] = {
        {true, "[Salvora]\r\n" + DriveLine("D:,10%,7") + DriveLine("E:,20%,0")},
        {false, "[Salvora]\r\n" + DriveLine("E:,20%,0")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tracking ? "tracking on" : "tracking off");
        RemoveFile(IniPath());
        ASSERT_TRUE(standin::SetDrive(4, c.tracking, 4096, 100, 10, 7));
        ASSERT_TRUE(standin::SetDrive(5, true, 4096, 100, 20, 0));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        standin::TakeLog();
        ASSERT_TRUE(sheet.Ok());

        // Every drive's record first, then the drive's own request.
        std::vector<standin::Request> log = standin::TakeLog();
        ASSERT_EQ(27u, log.size()) << standin::Describe(log);
        for (unsigned drive = 1; drive <= 26; ++drive) {
            EXPECT_EQ(7u, log[drive - 1].code);
            EXPECT_EQ((std::vector<unsigned char>{(unsigned char)drive, 0, 0, 0}),
                      log[drive - 1].in);
        }
        EXPECT_EQ(c.tracking ? 10u : 11u, log[26].code);
        const std::vector<unsigned char> off = {4, 0};
        EXPECT_EQ(c.tracking ? TrackedRecord(d_, 10, 7) : off, log[26].in);
        EXPECT_EQ(c.ini, files::ReadText(IniPath()));
    }
}

TEST_F(DrivePage, DayCountSyntax)
{
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 9));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    // -1: refused with the message, and the page stays. The whole syntax
    // is the native tests'; here each kind of text meets the real edit.
    const struct Case {
        std::string text;
        int dayCount;
    } cases[] = {
        {"100", 100}, {"0", 0}, {" 7", 7}, {"+8", 8}, {"$1F", 31},
        {std::string(49, '0') + "6", 6}, {"150", -1}, {"12a", -1}, {"7 ", -1}, {"-1", -1},
        {"", -1}, {"$65", -1}, {"2147483648", -1}, {std::string(50, '0') + "6", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        standin::TakeLog();
        sheet.TypeDayCount(c.text);
        if (c.dayCount >= 0) {
            ASSERT_TRUE(sheet.Apply());
            std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
            ASSERT_EQ(1u, sent.size());
            EXPECT_EQ(TrackedRecord(d_, 10, c.dayCount), sent[0].in);
            continue;
        }
        sheet.PressApply();
        ui::MessageBoxInfo box;
        ASSERT_TRUE(ui::WaitForMessageBox(&box, sext::kMessageCaption, ui::kWait, sheet.Pid()));
        EXPECT_EQ(kBadDayCount, box.text);
        EXPECT_TRUE(ui::Dismiss(box.window));
        EXPECT_TRUE(IsWindowVisible(sheet.Page()));
        EXPECT_TRUE(sheet.ApplyEnabled());
        EXPECT_TRUE(SettingsSent(standin::TakeLog()).empty());
    }

    // The day count switched off: 0, whatever the edit holds.
    ASSERT_TRUE(sheet.Click(kDayCountOn));
    EXPECT_FALSE(sheet.Enabled(kDayCount));
    EXPECT_FALSE(sheet.Enabled(kSpin));
    sheet.TypeDayCount("12a");
    standin::TakeLog();
    ASSERT_TRUE(sheet.Ok());
    std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(TrackedRecord(d_, 10, 0), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("D:,10%,0"), files::ReadText(IniPath()));
}

TEST_F(DrivePage, TrackingOffForOneDriveKeepsTheOthers)
{
    ASSERT_TRUE(standin::SetDrive(3, true, 4096, 100, 10, 5));
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 15, 0));
    ASSERT_TRUE(standin::SetDrive(5, true, 4096, 100, 20, 0));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    ASSERT_TRUE(sheet.Click(kTracking));
    EXPECT_TRUE(sheet.Enabled(kTracking));
    for (int id : {kSlider, kDayCountOn, kDayCount, kSpin, kPercentText, kClear, kUndelete, 100,
                   101, 102, 120, 121, 122, 123, 124})
        EXPECT_FALSE(sheet.Enabled(id)) << id;
    standin::TakeLog();
    ASSERT_TRUE(sheet.Apply());
    std::vector<standin::Request> sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(11u, sent[0].code);
    EXPECT_EQ(2u, sent[0].inSize);
    EXPECT_EQ((std::vector<unsigned char>{4, 0}), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("C:,10%,5") + DriveLine("E:,20%,0"),
              files::ReadText(IniPath()));

    // And on again: D: takes its place between them.
    ASSERT_TRUE(sheet.Click(kTracking));
    EXPECT_TRUE(sheet.Enabled(kSlider));
    ASSERT_TRUE(sheet.Ok());
    sent = SettingsSent(standin::TakeLog());
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(TrackedRecord(d_, 15, 0), sent[0].in);
    EXPECT_EQ("[Salvora]\r\n" + DriveLine("C:,10%,5") + DriveLine("D:,15%,0") +
                  DriveLine("E:,20%,0"),
              files::ReadText(IniPath()));
}

TEST_F(DrivePage, CancelSendsAndWritesNothing)
{
    ASSERT_TRUE(standin::SetDrive(4, true, 4096, 100, 10, 7));
    Sheet sheet;
    ASSERT_TRUE(sheet.Open("D:\\"));
    sheet.MoveSlider(50);
    sheet.TypeDayCount("20");
    ASSERT_TRUE(sheet.Click(kTracking));
    standin::TakeLog();
    ASSERT_TRUE(sheet.Cancel());
    EXPECT_TRUE(standin::TakeLog().empty());
    EXPECT_FALSE(files::Exists(IniPath()));
}

TEST_F(DrivePage, ARecordTheDriverDoesNotGiveChangesNothing)
{
    // E:'s record failing or coming short at Apply, or the driver gone: the
    // driver still gets what was set, and the file stays, as the user is told.
    const std::string before = "; mine\r\n[Salvora]\r\nDrive=D:,50%,3\r\n Drive = E:,20%,0\r\n";
    const std::pair<BYTE, bool> atApply[] = {{VSCTL_ANSWER_FAIL, false}, {3, false}, {VSCTL_ANSWER_FULL, true}};
    for (const auto& c : atApply) {
        SCOPED_TRACE(testing::Message() << (int)c.first << (c.second ? " absent" : ""));
        ASSERT_TRUE(standin::Reset() && WriteBytes(IniPath(), before));
        ASSERT_TRUE(standin::SetDrive(4, true) && standin::SetDrive(5, true, 4096, 100, 20, 0));
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\"));
        ASSERT_TRUE(standin::SetAnswer('E', c.first) && standin::SetAbsent(c.second));
        standin::TakeLog();
        sheet.PressOk();
        ui::MessageBoxInfo box;
        ASSERT_TRUE(ui::WaitForMessageBox(&box, sext::kMessageCaption, ui::kWait, sheet.Pid()));
        EXPECT_EQ(kCannotSave, box.text);
        EXPECT_EQ(c.second ? 0u : 1u, SettingsSent(standin::TakeLog()).size());
        EXPECT_TRUE(ui::Dismiss(box.window) && sheet.Closed());
        EXPECT_EQ(before, files::ReadText(IniPath()));
    }

    // The page's own record failing or short: an inert page, and OK neither
    // switches the drive off nor writes.
    for (BYTE answer : {(BYTE)VSCTL_ANSWER_FAIL, (BYTE)7}) {
        ASSERT_TRUE(standin::Reset() && standin::Protect('D') && standin::SetAnswer('D', answer));
        RemoveFile(IniPath());
        Sheet sheet;
        ASSERT_TRUE(sheet.Open("D:\\", false));
        EXPECT_FALSE(sheet.Enabled(kTracking) || sheet.ApplyEnabled()) << (int)answer;
        ASSERT_TRUE(standin::SetAnswer('D', VSCTL_ANSWER_FULL) && sheet.Ok());
        EXPECT_TRUE(SettingsSent(standin::TakeLog()).empty()) << (int)answer;
        EXPECT_FALSE(files::Exists(IniPath())) << (int)answer;
    }
}

}  // namespace
