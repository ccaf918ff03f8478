// What the extension starts and how the shell finds it: the undelete
// program beside the DLL (REVIVR.LOG records its command line), its failure
// message, and the registration through which ole32 loads the DLL.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "sext.h"
#include "support/files.h"
#include "support/revivr.h"
#include "support/standin.h"
#include "support/ui.h"

namespace {

using sext::Ptr;
typedef std::vector<std::string> Paths;

class Launch : public sext::ExtensionTest {
protected:
    void TearDown() override
    {
        revivr_.CloseAll();
        ExtensionTest::TearDown();
    }

    // Runs verb of the handler initialised with the paths.
    HRESULT Run(const GUID& clsid, const Paths& paths, UINT verb)
    {
        Ptr<IShellExtInit> init(sext::Bin().Handler(clsid, paths));
        if (!init)
            return E_UNEXPECTED;
        Ptr<IContextMenu> cm(sext::Menu(init.get()));
        if (!cm)
            return E_NOINTERFACE;
        return sext::Invoke(cm.get(), MAKEINTRESOURCEA(verb));
    }

    // The command lines REVIVR.EXE recorded since the test began.
    std::string NewLog() { return revivr_.NewLog(); }

    revivr::Watch revivr_;
};

TEST_F(Launch, DriveUndeleteNamesTheDrive)
{
    EXPECT_EQ(S_OK, Run(CLSID_SalvoraDriveHandler, {"D:\\"}, 0));
    ASSERT_TRUE(revivr_.CloseNext());
    EXPECT_EQ("D:\\ /drv\r\n", NewLog());
}

TEST_F(Launch, FolderUndeleteNamesTheFirstFolder)
{
    EXPECT_EQ(S_OK, Run(CLSID_SalvoraFolderHandler, {"D:\\Reports\\2024"}, 1));
    ASSERT_TRUE(revivr_.CloseNext());
    // The menu leaves the item out for two folders; the verb still runs.
    EXPECT_EQ(S_OK, Run(CLSID_SalvoraFolderHandler, {"D:\\My Files", "D:\\Other"}, 1));
    ASSERT_TRUE(revivr_.CloseNext());
    EXPECT_EQ("D:\\Reports\\2024\r\nD:\\My Files\r\n", NewLog());
}

TEST_F(Launch, TheLongestPathArrivesWholeAndALongerOneChangesNothing)
{
    const std::string longest = "D:\\" + std::string(257, 'L');
    Ptr<IShellExtInit> init(sext::Bin().Handler(CLSID_SalvoraFolderHandler, {longest}));
    ASSERT_TRUE(init);
    Ptr<IContextMenu> cm(sext::Menu(init.get()));
    ASSERT_TRUE(cm);
    EXPECT_EQ(S_OK, sext::Invoke(cm.get(), MAKEINTRESOURCEA(1)));
    ASSERT_TRUE(revivr_.CloseNext());

    EXPECT_EQ(E_FAIL, sext::Initialize(init.get(), {"D:\\" + std::string(300, 'X')}));
    EXPECT_EQ(S_OK, sext::Invoke(cm.get(), MAKEINTRESOURCEA(1)));
    ASSERT_TRUE(revivr_.CloseNext());
    EXPECT_EQ(longest + "\r\n" + longest + "\r\n", NewLog());
}

TEST_F(Launch, WithoutTheProgramBesideTheDllTheUserIsTold)
{
    // A copy of the DLL in a folder that has no REVIVR.EXE.
    std::string dir = files::ScratchDir("sext-alone");
    ASSERT_TRUE(files::Copy(sext::BinDllPath(), dir + "\\slvrsext.dll"));
    {
        sext::Server alone;
        ASSERT_TRUE(alone.Load(dir + "\\slvrsext.dll"));
        ASSERT_NE(sext::Bin().module, alone.module);
        Ptr<IShellExtInit> init(alone.Handler(CLSID_SalvoraDriveHandler, {"D:\\"}));
        ASSERT_TRUE(init);
        Ptr<IContextMenu> cm(sext::Menu(init.get()));
        ASSERT_TRUE(cm);

        ui::MessageBoxInfo box;
        bool dismissed = false;
        std::thread watcher([&] {
            if (ui::WaitForMessageBox(&box, sext::kMessageCaption, ui::kWait, GetCurrentProcessId()))
                dismissed = ui::Dismiss(box.window, IDOK);
        });
        EXPECT_EQ(S_OK, sext::Invoke(cm.get(), MAKEINTRESOURCEA(0)));
        watcher.join();
        EXPECT_TRUE(dismissed);
        EXPECT_EQ("Cannot launch Salvora Undelete!", box.text);
        EXPECT_EQ((UINT)MB_ICONEXCLAMATION, box.icon);
        cm.Reset();
        init.Reset();
        EXPECT_EQ(S_OK, alone.CanUnloadNow());
        alone.Unload();
    }
    EXPECT_EQ("", NewLog());
    EXPECT_TRUE(files::RemoveTree(dir));
}

// --- registration -------------------------------------------------------------

// The values of a REGEDIT4 file: "KEY|NAME" -> value ("" names the default).
std::map<std::string, std::string> ReadRegFile(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::string text = files::ReadText(path), key;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            key = line.substr(1, line.size() - 2);
        } else if (!line.empty() && (line[0] == '@' || line[0] == '"')) {
            size_t eq = line.find("=\"");
            std::string name = line[0] == '@' ? "" : line.substr(1, eq - 2);
            std::string raw = line.substr(eq + 2, line.size() - eq - 3), value;
            for (size_t i = 0; i < raw.size(); ++i) {
                if (raw[i] == '\\' && i + 1 < raw.size())
                    ++i;
                value += raw[i];
            }
            values[key + "|" + name] = value;
        }
    }
    return values;
}

std::string ReadRegValue(const std::string& keyPath, const std::string& name)
{
    const std::string root = "HKEY_CLASSES_ROOT\\";
    if (keyPath.compare(0, root.size(), root) != 0)
        return "<not under HKEY_CLASSES_ROOT>";
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.substr(root.size()).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return "<no key>";
    char value[1024] = "";
    DWORD size = sizeof value, type = 0;
    LONG result = RegQueryValueExA(key, name.empty() ? NULL : name.c_str(), NULL, &type,
                                   reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : "<no value>";
}

std::string RegFilePath()
{
    return files::InBin("slvrsext.reg");
}

TEST(Registration, TheFileNamesTheClassesTheServerServes)
{
    std::map<std::string, std::string> reg = ReadRegFile(RegFilePath());
    ASSERT_FALSE(reg.empty()) << RegFilePath();
    const std::string drive = sext::GuidText(CLSID_SalvoraDriveHandler);
    const std::string folder = sext::GuidText(CLSID_SalvoraFolderHandler);
    const std::string file = sext::GuidText(CLSID_SalvoraFileHandler);
    const std::string classes = "HKEY_CLASSES_ROOT\\";

    // Exactly the three servers, each in-process with the DLL.
    std::vector<std::string> servers;
    for (const auto& v : reg) {
        if (v.first.find("\\InprocServer32|") != std::string::npos && v.first.back() == '|') {
            servers.push_back(v.first.substr(classes.size() + 6, 38));
            EXPECT_NE(std::string::npos, v.second.find("\\slvrsext.dll")) << v.second;
        }
    }
    std::sort(servers.begin(), servers.end());
    std::vector<std::string> expected = {drive, folder, file};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, servers);

    EXPECT_EQ(drive, reg[classes + "Drive\\shellex\\ContextMenuHandlers\\Salvora|"]);
    EXPECT_EQ(drive, reg[classes + "Drive\\shellex\\PropertySheetHandlers\\Salvora|"]);
    EXPECT_EQ(folder, reg[classes + "Directory\\shellex\\ContextMenuHandlers\\Salvora|"]);
    EXPECT_EQ(file, reg[classes + "*\\shellex\\ContextMenuHandlers\\Salvora|"]);
}

class Registered : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standin::Reset()) << "stand-in driver not loaded";
        ASSERT_TRUE(standin::Protect('D'));
        ASSERT_EQ(0u, Host("register \"" + sext::BinDllPath() + "\""));
        CoInitialize(NULL);
    }
    void TearDown() override
    {
        revivr_.CloseAll();
        CoFreeUnusedLibraries();
        CoUninitialize();
        EXPECT_EQ(0u, Host("unregister"));
        standin::Reset();
    }

    // Runs shellhost.exe with the arguments; its exit code.
    DWORD Host(const std::string& args)
    {
        files::Process host;
        if (!host.Start(sext::ShellHostPath(), args))
            return 1000;
        DWORD code = 1001;
        if (!host.WaitExit(ui::kWait, &code))
            return 1002;
        return code;
    }

    revivr::Watch revivr_;
};

TEST_F(Registered, TheHostWritesWhatTheFileSaysWithTheRealPath)
{
    std::map<std::string, std::string> reg = ReadRegFile(RegFilePath());
    ASSERT_FALSE(reg.empty());
    for (const auto& v : reg) {
        size_t bar = v.first.find('|');
        std::string key = v.first.substr(0, bar), name = v.first.substr(bar + 1);
        bool isPath = key.size() > 15 && key.substr(key.size() - 15) == "\\InprocServer32" &&
                      name.empty();
        EXPECT_EQ(isPath ? sext::BinDllPath() : v.second, ReadRegValue(key, name)) << v.first;
    }
    EXPECT_EQ(0u, Host("unregister"));
    for (const auto& v : reg) {
        size_t bar = v.first.find('|');
        EXPECT_EQ("<no key>", ReadRegValue(v.first.substr(0, bar), v.first.substr(bar + 1)))
            << v.first;
    }
}

TEST_F(Registered, Ole32LoadsTheServerFromTheRegistration)
{
    IShellExtInit* raw = NULL;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SalvoraDriveHandler, NULL, CLSCTX_INPROC_SERVER,
                                     IID_IShellExtInit, reinterpret_cast<void**>(&raw)));
    Ptr<IShellExtInit> init(raw);
    HMODULE loaded = GetModuleHandleA(sext::BinDllPath().c_str());
    EXPECT_NE(nullptr, loaded);

    ASSERT_EQ(S_OK, sext::Initialize(init.get(), {"D:\\"}));
    Ptr<IContextMenu> cm(sext::Menu(init.get()));
    ASSERT_TRUE(cm);
    sext::MenuResult got = sext::QueryMenu(cm.get(), CMF_NORMAL);
    EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2), got.hr);
    EXPECT_EQ((std::vector<std::string>{"Salvora &Undelete...", "&Clear Trashcan"}), got.texts);

    // What a class factory refuses, CoCreateInstance refuses alike.
    IContextMenu* direct = NULL;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_SalvoraFileHandler, NULL, CLSCTX_INPROC_SERVER,
                                              IID_IContextMenu, reinterpret_cast<void**>(&direct)));
    EXPECT_EQ(nullptr, direct);
}

TEST_F(Registered, TheHostRunsAVerbAsTheShellWould)
{
    files::MakeDirs("D:\\SEXTTEST");
    EXPECT_EQ(0u, Host("invoke 1 D:\\SEXTTEST"));
    ASSERT_TRUE(revivr_.CloseNext());
    EXPECT_EQ(0u, Host("invoke 0 D:\\"));
    ASSERT_TRUE(revivr_.CloseNext());
    EXPECT_EQ("D:\\SEXTTEST\r\nD:\\ /drv\r\n", revivr_.NewLog());
    // A verb the handler does not have fails in the host as well.
    EXPECT_EQ(1u, Host("invoke 2 D:\\"));
    files::RemoveTree("D:\\SEXTTEST");
}

}  // namespace
