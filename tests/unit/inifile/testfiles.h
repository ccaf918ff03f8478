// Files on disk for the INI tests: each test gets a fresh folder.
#ifndef SALVORA_TESTS_INIFILE_TESTFILES_H
#define SALVORA_TESTS_INIFILE_TESTFILES_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "inifile/inifile.h"

typedef std::vector<std::string> Lines;

class IniTest : public ::testing::Test {
protected:
    std::string dir, path;

    void SetUp() override
    {
        std::string pattern = ::testing::TempDir() + "initest-XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        dir = pattern;
        path = dir + "/test.ini";
    }
    void TearDown() override
    {
        unlink(path.c_str());
        rmdir(dir.c_str());
    }
    void Put(const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Get()
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // An object holding bytes as read from a file, saving nothing on its own.
    std::unique_ptr<TINIFile> Load(const std::string& bytes)
    {
        Put(bytes);
        std::unique_ptr<TINIFile> ini(new TINIFile(path.c_str()));
        ini->WriteMode = 0;
        EXPECT_EQ(ini->ReadFile(), IniSuccess);
        return ini;
    }
    static Lines LinesOf(const TINIFile& ini)
    {
        Lines lines;
        for (int32_t i = 0; i < ini.Lines->ItemCount; i++) {
            const char* line = static_cast<const char*>(ini.Lines->ItemList[i]);
            lines.push_back(line ? line : "<null>");
        }
        return lines;
    }
};

#endif
