// Initialize and the acceptance of each handler: which selections on which
// drives get a context menu or a property page, asked of the stand-in driver.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "sext.h"
#include "support/standin.h"
#include "tools/shellhost/dropdata.h"

namespace {

using sext::Ptr;
typedef std::vector<std::string> Paths;

class Selection : public sext::ExtensionTest {
protected:
    // Whether the handler, initialised with the paths, gives a context menu
    // and (drive handler) a property page.
    bool GivesMenu(const GUID& clsid, const Paths& paths)
    {
        Ptr<IShellExtInit> init(sext::Bin().Handler(clsid, paths));
        EXPECT_TRUE(init);
        if (!init)
            return false;
        HRESULT hr = E_FAIL;
        Ptr<IContextMenu> cm(sext::Menu(init.get(), &hr));
        EXPECT_EQ(cm ? S_OK : E_NOINTERFACE, hr);
        return (bool)cm;
    }
    bool GivesSheet(const GUID& clsid, const Paths& paths)
    {
        Ptr<IShellExtInit> init(sext::Bin().Handler(clsid, paths));
        EXPECT_TRUE(init);
        if (!init)
            return false;
        HRESULT hr = E_FAIL;
        Ptr<IShellPropSheetExt> sheet(sext::Sheet(init.get(), &hr));
        EXPECT_EQ(sheet ? S_OK : E_NOINTERFACE, hr);
        return (bool)sheet;
    }
};

const GUID& kDrive = CLSID_SalvoraDriveHandler;
const GUID& kFolder = CLSID_SalvoraFolderHandler;
const GUID& kFile = CLSID_SalvoraFileHandler;

TEST_F(Selection, InitializeNeedsADropList)
{
    Ptr<IClassFactory> factory(sext::Bin().Factory(kFile));
    ASSERT_TRUE(factory);
    Ptr<IShellExtInit> init;
    {
        IShellExtInit* p = NULL;
        ASSERT_EQ(S_OK, factory->CreateInstance(NULL, IID_IShellExtInit, reinterpret_cast<void**>(&p)));
        init.Reset(p);
    }
    EXPECT_EQ(E_FAIL, init->Initialize(NULL, NULL, NULL));

    DropDataObject* failing = new DropDataObject({"D:\\A.TXT"});
    failing->FailGetData(true);
    EXPECT_EQ(E_FAIL, init->Initialize(NULL, failing, NULL));
    EXPECT_EQ(1, failing->GetDataCalls());
    failing->Release();

    // Whether the list is taken, empty or refused, the medium goes back.
    struct Case {
        Paths paths;
        HRESULT expected;
    } cases[] = {
        {{"D:\\A.TXT", "D:\\B.TXT"}, S_OK},
        {{}, E_FAIL},
        {{"D:\\" + std::string(300, 'x')}, E_FAIL},
    };
    for (const Case& c : cases) {
        DropDataObject* data = new DropDataObject(c.paths);
        data->TrackRelease(true);
        EXPECT_EQ(c.expected, init->Initialize(NULL, data, NULL)) << c.paths.size();
        EXPECT_EQ(1, data->GetDataCalls());
        EXPECT_EQ(0, data->MediaNotReleased());
        data->Release();
    }
}

TEST_F(Selection, DriveHandlerWantsOneProtectedDrive)
{
    EXPECT_TRUE(GivesMenu(kDrive, {"D:\\"}));
    EXPECT_TRUE(GivesSheet(kDrive, {"D:\\"}));
    // Tracking off: no commands, but the page, on which it is switched on.
    EXPECT_FALSE(GivesMenu(kDrive, {"E:\\"}));
    EXPECT_TRUE(GivesSheet(kDrive, {"E:\\"}));
    EXPECT_FALSE(GivesMenu(kDrive, {"D:\\", "E:\\"}));
    EXPECT_FALSE(GivesSheet(kDrive, {"D:\\", "E:\\"}));
    EXPECT_FALSE(GivesMenu(kDrive, {"D:\\", "D:\\"}));
}

TEST_F(Selection, FolderHandlerWantsAFolderOnAProtectedDrive)
{
    EXPECT_TRUE(GivesMenu(kFolder, {"D:\\Reports"}));
    EXPECT_TRUE(GivesMenu(kFolder, {"D:\\Reports", "E:\\Other"}));
    EXPECT_FALSE(GivesMenu(kFolder, {"E:\\Reports"}));
    // The drive root is the drive handler's.
    EXPECT_FALSE(GivesMenu(kFolder, {"D:\\"}));
    EXPECT_FALSE(GivesSheet(kFolder, {"D:\\Reports"}));
}

TEST_F(Selection, FileHandlerLooksAtTheFirstFileOnly)
{
    EXPECT_TRUE(GivesMenu(kFile, {"D:\\A.TXT"}));
    EXPECT_TRUE(GivesMenu(kFile, {"D:\\A.TXT", "E:\\B.TXT", "E:\\C.TXT"}));
    EXPECT_FALSE(GivesMenu(kFile, {"E:\\A.TXT", "D:\\B.TXT"}));
    EXPECT_FALSE(GivesSheet(kFile, {"D:\\A.TXT"}));
}

TEST_F(Selection, TheDriverIsAskedAboutTheFirstItemsDrive)
{
    EXPECT_TRUE(GivesMenu(kFile, {"D:\\DATA\\X.TXT", "E:\\Y.TXT"}));
    std::vector<standin::Request> log = standin::TakeLog();
    ASSERT_EQ(2u, log.size()) << standin::Describe(log);
    EXPECT_EQ(5u, log[0].code);
    EXPECT_EQ(7u, log[1].code);
    EXPECT_EQ(4u, log[1].inSize);
    EXPECT_EQ((std::vector<unsigned char>{4, 0, 0, 0}), log[1].in);
    EXPECT_EQ(8u, log[1].outSize);

    // A drive record that cannot be read is "not protected".
    ASSERT_TRUE(standin::SetFailMask(1u << 7));
    EXPECT_FALSE(GivesMenu(kDrive, {"D:\\"}));
    EXPECT_FALSE(GivesMenu(kFile, {"D:\\A.TXT"}));
}

TEST_F(Selection, PathsWithoutADriveLetterGetNothing)
{
    // The property page reads its drive itself (a lower-case letter too)
    // and refuses a path without one when it is added.
    for (const char* path : {"d:\\A.TXT", "\\\\SERVER\\SHARE\\A.TXT", "@:\\A.TXT", "[:\\A.TXT"}) {
        standin::TakeLog();
        EXPECT_FALSE(GivesMenu(kFile, {path})) << path;
        EXPECT_FALSE(GivesMenu(kFolder, {path})) << path;
        // Nothing but DllGetClassObject's presence checks reached the driver.
        for (unsigned code : standin::TakeCodes())
            EXPECT_EQ(5u, code) << path;
    }
}

TEST_F(Selection, TheLastInitializeOfAnyHandlerCounts)
{
    Ptr<IShellExtInit> folder(sext::Bin().Handler(kFolder, {"D:\\Reports"}));
    ASSERT_TRUE(folder);
    Ptr<IShellExtInit> file(sext::Bin().Handler(kFile, {"E:\\B.TXT"}));
    ASSERT_TRUE(file);
    // The folder handler now sees the file handler's selection, on E:.
    HRESULT hr = S_OK;
    Ptr<IContextMenu> cm(sext::Menu(folder.get(), &hr));
    EXPECT_EQ(E_NOINTERFACE, hr);
}

TEST_F(Selection, PathsLongerThanAPathBufferAreRefusedWhole)
{
    Ptr<IShellExtInit> init(sext::Bin().Handler(kFolder, {"D:\\Reports"}));
    ASSERT_TRUE(init);
    const std::string tooLong = "E:\\" + std::string(258, 'x');   // 261 characters
    const std::string longest = "E:\\" + std::string(257, 'x');   // 260 characters
    EXPECT_EQ(E_FAIL, sext::Initialize(init.get(), {tooLong}));
    EXPECT_EQ(E_FAIL, sext::Initialize(init.get(), {"E:\\A", tooLong}));
    // The previous selection (a folder on the protected D:) is still the
    // one the handler judges.
    Ptr<IContextMenu> cm(sext::Menu(init.get()));
    EXPECT_TRUE(cm);
    cm.Reset();

    EXPECT_EQ(S_OK, sext::Initialize(init.get(), {longest}));
    HRESULT hr = S_OK;
    cm.Reset(sext::Menu(init.get(), &hr));
    EXPECT_EQ(E_NOINTERFACE, hr);
}

}  // namespace
