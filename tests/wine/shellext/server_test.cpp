// The COM server through its two exports and the platform's declarations of
// the interfaces: what it serves, the lives of its objects, and when it may
// be unloaded.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "sext.h"
#include "support/standin.h"

namespace {

using sext::Ptr;

const GUID kHandlers[] = {CLSID_SalvoraDriveHandler, CLSID_SalvoraFolderHandler,
                          CLSID_SalvoraFileHandler};
// Some other class: the shell asks every registered server about many.
const GUID kOtherClass = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};

class Server : public sext::ExtensionTest {
protected:
    const sext::Server& dll = sext::Bin();
};

TEST_F(Server, WithoutTheDriverNoClassIsServed)
{
    ASSERT_TRUE(standin::SetAbsent(true));
    void* const untouched = reinterpret_cast<void*>(0x5A5A);
    for (const GUID& clsid : {kHandlers[0], kHandlers[1], kHandlers[2], kOtherClass}) {
        void* ppv = untouched;
        EXPECT_EQ(E_UNEXPECTED, dll.getClassObject(clsid, IID_IClassFactory, &ppv));
        EXPECT_EQ(untouched, ppv);
    }
    ASSERT_TRUE(standin::SetAbsent(false));
    // The driver is asked first, every time, before the class is looked at.
    void* ppv = untouched;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, dll.getClassObject(kOtherClass, IID_IClassFactory, &ppv));
    EXPECT_EQ(nullptr, ppv);
    EXPECT_EQ((std::vector<unsigned>{5}), standin::TakeCodes());
}

TEST_F(Server, FactoriesAnswerTheirTwoInterfacesOnly)
{
    for (const GUID& clsid : kHandlers) {
        for (const IID& iid : {IID_IUnknown, IID_IClassFactory}) {
            IUnknown* unknown = NULL;
            ASSERT_EQ(S_OK, dll.getClassObject(clsid, iid, reinterpret_cast<void**>(&unknown)));
            EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
            EXPECT_EQ(0u, unknown->Release());
        }
        // A refused interface leaves no factory behind.
        void* ppv = reinterpret_cast<void*>(0x5A5A);
        EXPECT_EQ(E_NOINTERFACE, dll.getClassObject(clsid, IID_IShellExtInit, &ppv));
        EXPECT_EQ(nullptr, ppv);
        EXPECT_EQ(S_OK, dll.CanUnloadNow());
    }
}

TEST_F(Server, CountsReferencesAndLiveObjects)
{
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
    IClassFactory* factory = dll.Factory(CLSID_SalvoraDriveHandler);
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(2u, factory->AddRef());
    EXPECT_EQ(1u, factory->Release());

    IShellExtInit* init = NULL;
    ASSERT_EQ(S_OK, factory->CreateInstance(NULL, IID_IShellExtInit, reinterpret_cast<void**>(&init)));
    ASSERT_EQ(S_OK, sext::Initialize(init, {"D:\\"}));
    IContextMenu* cm = sext::Menu(init);
    ASSERT_NE(nullptr, cm);

    // Factory, initialiser and companion: the DLL must stay.
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    EXPECT_EQ(2u, init->AddRef());
    EXPECT_EQ(1u, init->Release());
    EXPECT_EQ(0u, init->Release());
    EXPECT_EQ(S_FALSE, dll.CanUnloadNow());
    EXPECT_EQ(0u, cm->Release());
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST_F(Server, FactoryMakesInitialisersOnly)
{
    for (const GUID& clsid : kHandlers) {
        Ptr<IClassFactory> factory(dll.Factory(clsid));
        ASSERT_TRUE(factory);
        void* ppv = reinterpret_cast<void*>(0x5A5A);
        Ptr<IUnknown> outer(factory.get());
        factory->AddRef();
        EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.get(), IID_IShellExtInit, &ppv));
        EXPECT_EQ(nullptr, ppv);
        for (const IID& iid : {IID_IContextMenu, IID_IShellPropSheetExt, IID_IUnknown}) {
            ppv = reinterpret_cast<void*>(0x5A5A);
            EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(NULL, iid, &ppv));
            EXPECT_EQ(nullptr, ppv);
        }
        EXPECT_EQ(E_NOTIMPL, factory->LockServer(TRUE));
        EXPECT_EQ(E_NOTIMPL, factory->LockServer(FALSE));
    }
    // Nothing but the factories was alive, and LockServer kept nothing.
    EXPECT_EQ(S_OK, dll.CanUnloadNow());
}

TEST_F(Server, EachRequestGetsANewCompanionOfItsOwn)
{
    Ptr<IShellExtInit> init(dll.Handler(CLSID_SalvoraDriveHandler, {"D:\\"}));
    ASSERT_TRUE(init);
    IUnknown* self = NULL;
    ASSERT_EQ(S_OK, init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self)));
    EXPECT_EQ(static_cast<void*>(init.get()), static_cast<void*>(self));
    self->Release();

    Ptr<IContextMenu> first(sext::Menu(init.get()));
    Ptr<IContextMenu> second(sext::Menu(init.get()));
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(first.get(), second.get());
    // The caller holds the only reference.
    first->AddRef();
    EXPECT_EQ(1u, first->Release());

    // A companion is an identity of its own: itself for IUnknown, not the
    // initialiser.
    IUnknown* unknown = NULL;
    ASSERT_EQ(S_OK, first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(static_cast<void*>(first.get()), static_cast<void*>(unknown));
    unknown->Release();
    for (const IID& iid : {IID_IShellExtInit, IID_IShellPropSheetExt, IID_IClassFactory}) {
        void* ppv = reinterpret_cast<void*>(0x5A5A);
        EXPECT_EQ(E_NOINTERFACE, first->QueryInterface(iid, &ppv));
        EXPECT_EQ(nullptr, ppv);
    }

    Ptr<IShellPropSheetExt> sheet(sext::Sheet(init.get()));
    ASSERT_TRUE(sheet);
    ASSERT_EQ(S_OK, sheet->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(static_cast<void*>(sheet.get()), static_cast<void*>(unknown));
    unknown->Release();
    void* ppv = reinterpret_cast<void*>(0x5A5A);
    EXPECT_EQ(E_NOINTERFACE, sheet->QueryInterface(IID_IShellExtInit, &ppv));
    EXPECT_EQ(nullptr, ppv);
    EXPECT_EQ(E_NOTIMPL, sheet->ReplacePage(0, NULL, 0));

    // Anything else the shell may ask an initialiser for.
    ppv = reinterpret_cast<void*>(0x5A5A);
    EXPECT_EQ(E_NOINTERFACE, init->QueryInterface(IID_IClassFactory, &ppv));
    EXPECT_EQ(nullptr, ppv);
}

TEST_F(Server, NullOutPointersAreRefusedNotWritten)
{
    EXPECT_EQ(E_POINTER, dll.getClassObject(CLSID_SalvoraFileHandler, IID_IClassFactory, NULL));
    Ptr<IClassFactory> factory(dll.Factory(CLSID_SalvoraFileHandler));
    ASSERT_TRUE(factory);
    EXPECT_EQ(E_POINTER, factory->QueryInterface(IID_IUnknown, NULL));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(NULL, IID_IShellExtInit, NULL));
    Ptr<IShellExtInit> init(dll.Handler(CLSID_SalvoraFileHandler, {"D:\\A.TXT"}));
    ASSERT_TRUE(init);
    EXPECT_EQ(E_POINTER, init->QueryInterface(IID_IContextMenu, NULL));
}

}  // namespace
