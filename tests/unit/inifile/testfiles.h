// Files on disk for the INI tests: each test gets a fresh folder.
#ifndef SALVORA_TESTS_INIFILE_TESTFILES_H
#define SALVORA_TESTS_INIFILE_TESTFILES_H

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "inifile/inifile.h"

class IniTest : public ::testing::Test {
protected:
    std::string dir;
    std::string path;

    void SetUp() override
    {
        const char* tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/initest-XXXXXX";
        ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
        dir = pattern;
        path = dir + "/test.ini";
    }

    void TearDown() override
    {
        unlink(path.c_str());
        rmdir(dir.c_str());
    }

    void Put(const std::string& bytes)
    {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }

    std::string Get()
    {
        std::string bytes;
        FILE* f = fopen(path.c_str(), "rb");
        if (!f)
            return "<missing>";
        int c;
        while ((c = fgetc(f)) != EOF)
            bytes += static_cast<char>(c);
        fclose(f);
        return bytes;
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

    static std::vector<std::string> LinesOf(const TINIFile& ini)
    {
        std::vector<std::string> lines;
        for (int32_t i = 0; i < ini.Lines->ItemCount; i++) {
            const char* line = static_cast<const char*>(ini.Lines->ItemList[i]);
            lines.push_back(line ? line : "<null>");
        }
        return lines;
    }
};

typedef std::vector<std::string> Lines;

#endif
