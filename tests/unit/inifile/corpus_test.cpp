// Replays the INI fuzz target's seeds and grown corpus through the same
// checks, without libFuzzer, so that the test run catches a regression the
// fuzzer once steered around. A failed check aborts with the input's name.
#include <dirent.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/inifile_check.h"

namespace {

std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> paths;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                paths.push_back(dir + "/" + e->d_name);
        closedir(d);
    }
    return paths;
}

TEST(FuzzCorpus, EveryInputPassesTheChecks)
{
    for (const char* dir : {SALVORA_INI_SEEDS, SALVORA_INI_CORPUS}) {
        std::vector<std::string> inputs = FilesIn(dir);
        EXPECT_FALSE(inputs.empty()) << dir;
        for (const std::string& path : inputs) {
            std::ifstream in(path, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            IniCheckInputName = path.c_str();
            CheckIniInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
    }
}

}  // namespace
