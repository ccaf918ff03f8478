// Companion paths are composed beside the module, and a path that would not
// fit the product's buffers is refused rather than cut into another name.
#include <gtest/gtest.h>
#include <windows.h>

#include "paths/modulepath.h"
#include "support/files.h"

namespace {

// Loads a copy of the probe module from a folder whose own path is exactly
// dirLength characters long.
class DeepModule {
public:
    explicit DeepModule(size_t dirLength)
    {
        root_ = files::ScratchDir("modpath");
        std::string dir = root_;
        while (dir.size() < dirLength) {
            size_t part = dirLength - dir.size() - 1;
            if (part > 200)
                part = 200;
            if (part == 0)
                part = 1;   // cannot happen for the lengths used here
            dir += "\\" + std::string(part, 'd');
        }
        dir_ = dir;
        files::MakeDirs(dir_);
        std::string copy = dir_ + "\\probe.dll";
        files::Copy(files::BinDir() + "\\modulepath_probe.dll", copy);
        module_ = LoadLibraryA(copy.c_str());
    }
    ~DeepModule()
    {
        if (module_)
            FreeLibrary(module_);
        files::RemoveTree(root_);
    }
    HMODULE Module() const { return module_; }
    const std::string& Dir() const { return dir_; }

private:
    std::string root_, dir_;
    HMODULE module_ = NULL;
};

TEST(ModulePath, NamesTheSiblingOfTheModule)
{
    char path[kPathBufferSize];
    ASSERT_TRUE(ModuleSiblingPath(NULL, "REVIVR.EXE", path));
    EXPECT_EQ(files::BinDir() + "\\REVIVR.EXE", path);
}

TEST(ModulePath, FillsTheBufferExactlyButNeverBeyond)
{
    const std::string name = "slvrtray.hlp";
    // Directory, backslash and name: 260 characters in all, the most that fits.
    DeepModule fits(260 - 1 - name.size());
    ASSERT_TRUE(fits.Module());
    char path[kPathBufferSize + 8];
    memset(path, 'x', sizeof path);
    ASSERT_TRUE(ModuleSiblingPath(fits.Module(), name.c_str(), path));
    EXPECT_EQ(260u, strlen(path));
    EXPECT_EQ(fits.Dir() + "\\" + name, path);
    EXPECT_EQ('x', path[kPathBufferSize]);

    DeepModule tooLong(260 - name.size());
    ASSERT_TRUE(tooLong.Module());
    memset(path, 'x', sizeof path);
    EXPECT_FALSE(ModuleSiblingPath(tooLong.Module(), name.c_str(), path));
    EXPECT_STREQ("", path);
    EXPECT_EQ('x', path[kPathBufferSize]);
}

}  // namespace
