// Writing back when things go wrong: the disk fills up, the file is
// read-only or held by another process, a rename fails. Failures are made
// through the file layer's fault plan, one or two operations at a time.
#include <dirent.h>
#include <stdio.h>
#include <sys/stat.h>

#include <map>

#include "inifile/fileio.h"
#include "testfiles.h"

namespace {

typedef std::map<std::string, std::string> Folder;  // name -> bytes

class Flush : public IniTest {
protected:
    void TearDown() override
    {
        ResetFileFaults();
        for (const auto& file : Files())
            unlink((dir + "/" + file.first).c_str());
        IniTest::TearDown();
    }
    Folder Files()
    {
        Folder files;
        DIR* d = opendir(dir.c_str());
        if (!d)
            return files;
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            std::ifstream in(dir + "/" + name, std::ios::binary);
            files[name] = std::string(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
        }
        closedir(d);
        return files;
    }
    // The drive page's edit: the list of drives rewritten in place.
    static void EditDrives(TINIFile& ini)
    {
        ini.WriteFirstString("Salvora", "Drive", "D:,20%,0");
        ini.WriteNextString("E:,5%,3");
        ini.WriteClose();
    }
};

const std::string kOld =
    "; Salvora settings, kept by hand\r\n"
    "[Other]\r\n"
    "keep = this ; and its comment\r\n"
    "\r\n"
    "[Salvora]\r\n"
    " Drive               = C:,10%,5\r\n"
    "\tTabbed\t:\t1\r\n"
    "[Empty]\r\n"
    "last line without an end";
const std::string kNew =
    "; Salvora settings, kept by hand\r\n"
    "[Other]\r\n"
    "keep = this ; and its comment\r\n"
    "\r\n"
    "[Salvora]\r\n"
    " Drive               = D:,20%,0\r\n"
    " Drive               = E:,5%,3\r\n"
    "\tTabbed\t:\t1\r\n"
    "[Empty]\r\n"
    "last line without an end";

TEST_F(Flush, ChangesOnlyTheEditedLines)
{
    auto ini = Load(kOld);
    EditDrives(*ini);
    EXPECT_EQ(ini->FlushFile(), IniSuccess);
    EXPECT_EQ(Files(), (Folder{{"test.ini", kNew}}));
}

// Every file operation of a flush, and every pair of them, fails in turn.
// Whatever fails, the old file survives, the result says what happened, and
// a later flush still gets the lines written.
TEST_F(Flush, NoFailureCostsTheOldFile)
{
    for (bool existing : {true, false}) {
        const Folder before = existing ? Folder{{"test.ini", kOld}} : Folder{};
        auto Prepare = [&]() {
            for (const auto& file : Files())
                unlink((dir + "/" + file.first).c_str());
            if (existing)
                Put(kOld);
            std::unique_ptr<TINIFile> ini(new TINIFile(path.c_str()));
            ini->WriteMode = 0;
            ini->ReadFile();
            EditDrives(*ini);
            ResetFileFaults();
            return ini;
        };
        const std::string written =
            existing ? kNew : "[Salvora]\r\n Drive               = D:,20%,0\r\n"
                              " Drive               = E:,5%,3\r\n";

        auto clean = Prepare();
        ASSERT_EQ(clean->FlushFile(), IniSuccess);
        const uint32_t calls = FileFaults.Calls;
        ASSERT_EQ(Files(), (Folder{{"test.ini", written}}));
        ASSERT_LE(calls, 64u);

        for (uint32_t first = 1; first <= calls; first++) {
            for (uint32_t second = first; second <= calls; second++) {
                SCOPED_TRACE(::testing::Message() << (existing ? "existing" : "missing")
                                                  << " file, failing operations " << first
                                                  << " and " << second);
                auto ini = Prepare();
                FileFaults.FailCalls = (1ull << (first - 1)) | (1ull << (second - 1));
                int32_t status = ini->FlushFile();
                ResetFileFaults();
                Folder after = Files();

                if (status == IniSuccess) {
                    EXPECT_EQ(ini->LastFlush, IniFlushWritten);
                    EXPECT_FALSE(ini->HasChanged());
                    EXPECT_EQ(after["test.ini"], written);
                } else {
                    EXPECT_EQ(status, IniWriteFailed);
                    EXPECT_EQ(ini->LastFlush, IniFlushFailed);
                    EXPECT_TRUE(ini->HasChanged());
                }
                // One failure: the folder is exactly as before, or holds the
                // new file, plus the old one as a backup when removing that
                // was what failed.
                if (first == second) {
                    Folder expected = status == IniSuccess ? Folder{{"test.ini", written}} : before;
                    for (const auto& file : after)
                        if (file.first != "test.ini" && file.second == kOld && existing)
                            expected[file.first] = kOld;
                    EXPECT_EQ(after, expected);
                    EXPECT_LE(after.size(), 2u);
                }
                // Two failures may leave a copy behind, never lose the old file.
                bool oldSurvives = !existing || status == IniSuccess;
                for (const auto& file : after) {
                    if (file.first != "test.ini") {
                        EXPECT_EQ(file.first.substr(0, 4), "~ini");
                    }
                    if (file.second == kOld)
                        oldSurvives = true;
                }
                EXPECT_TRUE(oldSurvives);

                EXPECT_EQ(ini->FlushFile(), status == IniSuccess ? IniWriteFailed : IniSuccess);
                EXPECT_EQ(Files()["test.ini"], written);
            }
        }
    }
}

TEST_F(Flush, AReadOnlyFileStaysAsItWas)
{
    auto ini = Load(kOld);
    EditDrives(*ini);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(ini->FlushFile(), IniWriteFailed);
    EXPECT_EQ(ini->LastFlush, IniFlushFailed);
    EXPECT_EQ(Files(), (Folder{{"test.ini", kOld}}));
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    EXPECT_EQ(ini->FlushFile(), IniSuccess);
}

TEST_F(Flush, AFullDiskLeavesTheOldFile)
{
    for (uint16_t bufferSize : {8192, 7}) {
        for (size_t room = 0; room < kNew.size(); room++) {
            auto ini = Load(kOld);
            ini->BufferSize = bufferSize;
            EditDrives(*ini);
            ResetFileFaults();
            FileFaults.BytesLeft = static_cast<int64_t>(room);
            EXPECT_EQ(ini->FlushFile(), IniWriteFailed) << room;
            ResetFileFaults();
            EXPECT_EQ(ini->LastFlush, IniFlushFailed);
            EXPECT_EQ(Files(), (Folder{{"test.ini", kOld}})) << room;
        }
    }
}

}  // namespace
