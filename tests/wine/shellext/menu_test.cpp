// The context menus: their items and counts, the flags that keep them out,
// the verbs InvokeCommand refuses and the help texts.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "sext.h"
#include "shellext/resource.h"
#include "support/standin.h"

namespace {

using sext::Ptr;
typedef std::vector<std::string> Paths;

const char kUndelete[] = "Salvora &Undelete...";
const char kClear[] = "&Clear Trashcan";
const char kForceDelete[] = "&ForceDelete";
const char kHelpUndeleteDrive[] = "Launches Salvora Undelete with the current drive";
const char kHelpClear[] =
    "The command removes all deleted files from the Salvora Trashcan of this drive and frees "
    "the occupied disk space";
const char kHelpForceDeleteFolder[] =
    "Removes the current folder without saving its files to the Salvora Trashcan";
const char kHelpUndeleteFolder[] = "Launches Salvora Undelete with the current folder";
const char kHelpForceDeleteFile[] = "Removes the current file without saving it to the Salvora Trashcan";

class Menus : public sext::ExtensionTest {
protected:
    void TearDown() override
    {
        menu_.Reset();
        init_.Reset();
        ExtensionTest::TearDown();
    }

    IContextMenu* MenuFor(const GUID& clsid, const Paths& paths)
    {
        menu_.Reset();
        init_.Reset(sext::Bin().Handler(clsid, paths));
        if (init_)
            menu_.Reset(sext::Menu(init_.get()));
        return menu_.get();
    }

    Ptr<IShellExtInit> init_;
    Ptr<IContextMenu> menu_;
};

TEST_F(Menus, ItemsIdsAndCountsOfEachHandler)
{
    struct Case {
        const GUID* clsid;
        Paths paths;
        std::vector<std::string> items;
    } cases[] = {
        {&CLSID_SalvoraDriveHandler, {"D:\\"}, {kUndelete, kClear}},
        {&CLSID_SalvoraFolderHandler, {"D:\\Reports"}, {kForceDelete, kUndelete}},
        {&CLSID_SalvoraFolderHandler, {"D:\\Reports", "D:\\Old"}, {kForceDelete}},
        {&CLSID_SalvoraFileHandler, {"D:\\A.TXT", "D:\\B.TXT", "D:\\C.TXT"}, {kForceDelete}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paths[0] + " and " + std::to_string(c.paths.size() - 1) + " more");
        IContextMenu* cm = MenuFor(*c.clsid, c.paths);
        ASSERT_NE(nullptr, cm);
        // Between two items of the shell's, from position 1 on, no separator.
        sext::MenuResult got = sext::QueryMenu(cm, CMF_NORMAL, 2, 100);
        EXPECT_TRUE(SUCCEEDED(got.hr));
        EXPECT_EQ(c.items.size(), (size_t)HRESULT_CODE(got.hr));
        std::vector<std::string> texts = {"Host 0"};
        std::vector<UINT> ids = {1};
        for (size_t i = 0; i < c.items.size(); ++i) {
            texts.push_back(c.items[i]);
            ids.push_back(100 + (UINT)i);
        }
        texts.push_back("Host 1");
        ids.push_back(2);
        EXPECT_EQ(texts, got.texts);
        EXPECT_EQ(ids, got.ids);
    }
}

TEST_F(Menus, OnlyTheReservedFlagBitsKeepTheItemsOut)
{
    IContextMenu* cm = MenuFor(CLSID_SalvoraDriveHandler, {"D:\\"});
    ASSERT_NE(nullptr, cm);
    for (UINT bit = 0x10000; bit <= 0x80000; bit <<= 1) {
        sext::MenuResult got = sext::QueryMenu(cm, CMF_NORMAL | bit, 2);
        EXPECT_EQ(S_OK, got.hr) << std::hex << bit;
        EXPECT_EQ(2u, got.texts.size()) << std::hex << bit;
    }
    // Default item only, verbs only, explorer view, no verbs: all the same.
    for (UINT flags : {(UINT)CMF_DEFAULTONLY, 0x0000000Fu, (UINT)CMF_EXPLORE}) {
        sext::MenuResult got = sext::QueryMenu(cm, flags, 2);
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2), got.hr) << std::hex << flags;
        EXPECT_EQ(4u, got.texts.size()) << std::hex << flags;
    }
}

TEST_F(Menus, VerbsAsTextAndUnknownOffsetsAreRefused)
{
    struct Case {
        const GUID* clsid;
        Paths paths;
        UINT firstInvalid;
    } cases[] = {
        {&CLSID_SalvoraDriveHandler, {"D:\\"}, 2},
        {&CLSID_SalvoraFolderHandler, {"D:\\Reports"}, 2},
        {&CLSID_SalvoraFileHandler, {"D:\\A.TXT"}, 1},
    };
    for (const Case& c : cases) {
        IContextMenu* cm = MenuFor(*c.clsid, c.paths);
        ASSERT_NE(nullptr, cm);
        standin::TakeLog();
        EXPECT_EQ(E_FAIL, sext::Invoke(cm, "open"));
        EXPECT_EQ(E_FAIL, sext::Invoke(cm, "undelete"));
        EXPECT_EQ(E_INVALIDARG, sext::Invoke(cm, MAKEINTRESOURCEA(c.firstInvalid)));
        EXPECT_EQ(E_INVALIDARG, sext::Invoke(cm, MAKEINTRESOURCEA(0xFFFF)));
        EXPECT_EQ(E_INVALIDARG, cm->InvokeCommand(NULL));
        // Nothing was run.
        EXPECT_TRUE(standin::TakeCodes().empty());
    }
}

std::string Help(IContextMenu* cm, UINT_PTR verb, UINT type = GCS_HELPTEXTA, UINT size = 261,
                 HRESULT* hr = NULL)
{
    char buffer[300];
    memset(buffer, '#', sizeof buffer);
    buffer[sizeof buffer - 1] = '\0';
    HRESULT result = cm->GetCommandString(verb, type, NULL, buffer, size);
    if (hr)
        *hr = result;
    return buffer;
}

// The wide text as narrow, for comparing: every help text is ASCII.
std::string WideHelp(IContextMenu* cm, UINT_PTR verb, UINT type, UINT size = 261, HRESULT* hr = NULL)
{
    WCHAR buffer[300];
    for (WCHAR& c : buffer)
        c = L'#';
    buffer[299] = L'\0';
    HRESULT result = cm->GetCommandString(verb, type, NULL, (LPSTR)buffer, size);
    if (hr)
        *hr = result;
    std::string text;
    for (const WCHAR* c = buffer; *c; ++c)
        text += *c < 0x80 ? (char)*c : '?';
    return text;
}

TEST_F(Menus, HelpTextsOfEveryVerb)
{
    IContextMenu* cm = MenuFor(CLSID_SalvoraDriveHandler, {"D:\\"});
    ASSERT_NE(nullptr, cm);
    EXPECT_EQ(kHelpUndeleteDrive, Help(cm, 0));
    EXPECT_EQ(kHelpClear, Help(cm, 1));
    // A verb request gets the help text too, and a wide request gets it in
    // wide characters; a validation gets nothing written.
    EXPECT_EQ(kHelpUndeleteDrive, Help(cm, 0, GCS_VERBA));
    EXPECT_EQ(kHelpUndeleteDrive, WideHelp(cm, 0, GCS_HELPTEXTW));
    EXPECT_EQ(kHelpClear, WideHelp(cm, 1, GCS_VERBW));
    HRESULT hr = E_FAIL;
    for (UINT validation : {GCS_VALIDATEA, GCS_VALIDATEW}) {
        EXPECT_EQ(std::string(299, '#'), Help(cm, 0, validation, 261, &hr));
        EXPECT_EQ(S_OK, hr);
    }

    cm = MenuFor(CLSID_SalvoraFolderHandler, {"D:\\Reports", "D:\\Old"});
    ASSERT_NE(nullptr, cm);
    EXPECT_EQ(kHelpForceDeleteFolder, Help(cm, 0));
    // Also for the item a multiple selection leaves out.
    EXPECT_EQ(kHelpUndeleteFolder, Help(cm, 1));

    cm = MenuFor(CLSID_SalvoraFileHandler, {"D:\\A.TXT"});
    ASSERT_NE(nullptr, cm);
    EXPECT_EQ(kHelpForceDeleteFile, Help(cm, 0));
}

TEST_F(Menus, HelpTextsNeverPastTheCallersBuffer)
{
    IContextMenu* cm = MenuFor(CLSID_SalvoraDriveHandler, {"D:\\"});
    ASSERT_NE(nullptr, cm);
    HRESULT hr = E_FAIL;
    std::string cut = Help(cm, 1, GCS_HELPTEXTA, 10, &hr);
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(std::string(kHelpClear).substr(0, 9), cut);
    EXPECT_EQ(std::string(kHelpClear).substr(0, 9), WideHelp(cm, 1, GCS_HELPTEXTW, 10, &hr));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ("", WideHelp(cm, 1, GCS_HELPTEXTW, 1));

    std::string untouched(299, '#');
    EXPECT_EQ(untouched, Help(cm, 0, GCS_HELPTEXTA, 0, &hr));
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(S_OK, cm->GetCommandString(0, GCS_VALIDATEA, NULL, NULL, 0));
    EXPECT_EQ(S_OK, cm->GetCommandString(0, GCS_HELPTEXTA, NULL, NULL, 261));
    EXPECT_EQ(untouched, Help(cm, 2, GCS_HELPTEXTA, 261, &hr));
    EXPECT_EQ(E_INVALIDARG, hr);
    EXPECT_EQ(E_INVALIDARG, cm->GetCommandString(2, GCS_VALIDATEA, NULL, NULL, 0));
}

}  // namespace
