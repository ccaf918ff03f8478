// The shell's side of the extension for the tests: the DLL's exports, the
// handler objects through the platform's own interface declarations, and a
// real CF_HDROP data object.
#ifndef SALVORA_TEST_SEXT_H
#define SALVORA_TEST_SEXT_H

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "shellext/classids.h"
#include "support/standin.h"

namespace sext {

// The caption of the extension's own message boxes.
const char kMessageCaption[] = "Salvora Shell Extension";

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(STDAPICALLTYPE* CanUnloadNowFn)();

// One loaded copy of slvrsext.dll and its two exports.
struct Server {
    HMODULE module = NULL;
    GetClassObjectFn getClassObject = NULL;
    CanUnloadNowFn canUnloadNow = NULL;

    bool Load(const std::string& path);
    void Unload();
    HRESULT CanUnloadNow() const { return canUnloadNow(); }
    IClassFactory* Factory(const GUID& clsid) const;
    // A handler's initialiser, Initialize'd with the paths; null when the
    // factory or Initialize failed (*initResult says what Initialize gave).
    IShellExtInit* Handler(const GUID& clsid, const std::vector<std::string>& paths,
                           HRESULT* initResult = NULL) const;
};

// slvrsext.dll of the bin folder, loaded once for the test program.
Server& Bin();
std::string BinDllPath();
// The shell host beside it, which plays the shell in a process of its own.
std::string ShellHostPath();

HRESULT Initialize(IShellExtInit* init, const std::vector<std::string>& paths);

// The companion of an initialiser, or null (with the result in *hr).
IContextMenu* Menu(IShellExtInit* init, HRESULT* hr = NULL);
IShellPropSheetExt* Sheet(IShellExtInit* init, HRESULT* hr = NULL);

// QueryContextMenu into a new popup menu that already holds hostItems items.
struct MenuResult {
    HRESULT hr = E_FAIL;
    std::vector<std::string> texts;   // every item of the menu, host items too
    std::vector<UINT> ids;
};
MenuResult QueryMenu(IContextMenu* cm, UINT flags, int hostItems = 0, UINT idFirst = 100);

HRESULT Invoke(IContextMenu* cm, LPCSTR verb);

// Releases an interface pointer at the end of a scope.
template <class T>
class Ptr {
public:
    explicit Ptr(T* p = NULL) : p_(p) {}
    ~Ptr() { Reset(); }
    Ptr(const Ptr&) = delete;
    Ptr& operator=(const Ptr&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != NULL; }
    void Reset(T* p = NULL)
    {
        if (p_)
            p_->Release();
        p_ = p;
    }

private:
    T* p_;
};

std::string GuidText(const GUID& guid);

// One context-menu command as the shell runs it: on a thread of its own (the
// shell's thread, whose modal loops the flows run in), the handler for the
// paths, its menu, then the verb; the test drives the dialogs meanwhile.
class Command {
public:
    Command(const GUID& clsid, const std::vector<std::string>& paths, UINT verb);
    ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // True once InvokeCommand has returned (within timeoutMs).
    bool WaitDone(DWORD timeoutMs = 10000);
    HRESULT Result() const { return result_; }

private:
    std::atomic<bool> done_{false};
    HRESULT result_ = E_FAIL;
    std::thread thread_;
};

// The extension asked in this process with D: protected and E: not: each
// test begins with a fresh driver and lets go of every object it was given.
class ExtensionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standin::Reset()) << "stand-in driver not loaded";
        ASSERT_TRUE(standin::Protect('D'));
        ASSERT_TRUE(Bin().module) << BinDllPath();
        standin::TakeLog();
    }
    void TearDown() override
    {
        standin::Reset();
        EXPECT_EQ(S_OK, Bin().CanUnloadNow());
    }
};

// Sharing everything, deletion included: Wine would then delete the file
// from under its user, as Windows 95 does.
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A flow of the extension, run on a shell thread of the test (Command) and
// driven through its dialogs. No worker of a test may outlive it.
class FlowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Bin().module != NULL);
        ASSERT_TRUE(standin::Reset());
    }
    void TearDown() override;

    // Opened as a program that uses the file would, until LetGo or the end
    // of the test.
    void Hold(const std::string& path, DWORD sharing);
    void LetGo();

private:
    std::vector<HANDLE> held_;
};

}  // namespace sext

#endif
