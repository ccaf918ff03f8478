// Loading and unloading, and the two exports through which the shell reaches
// the three handlers.
#include "shellext/server.h"

#include <type_traits>

#include "driver/driver.h"
#include "shellext/classids.h"
#include "shellext/flow.h"
#include "shellext/handlers.h"
#include "shellext/selection.h"

HMODULE DllModule = NULL;
LONG ObjectCount = 0;

namespace {

// OleUninitialize balances only an OleInitialize that succeeded, on the
// thread that made it: anything else would take away the apartment of the
// shell's own thread.
bool OleStarted = false;
DWORD OleThread = 0;

void StartServer()
{
    ObjectCount = 0;
    OleStarted = SUCCEEDED(OleInitialize(NULL));
    OleThread = GetCurrentThreadId();
}

void StopServer()
{
    if (OleStarted && GetCurrentThreadId() == OleThread)
        OleUninitialize();
    OleStarted = false;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DllModule = instance;
        StartSelection();
        StartServer();
        break;
    case DLL_PROCESS_DETACH:
        // Unloaded by FreeLibrary: the selection goes with the DLL. At the
        // end of the process there is nothing left to give back.
        if (!reserved)
            ReleaseSelection();
        StopServer();
        break;
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    // Without the driver the extension adds nothing anywhere, so no class
    // is served at all.
    DWORD returned = 0;
    if (!DriverRequest(CheckPresence, NULL, 0, NULL, 0, &returned))
        return E_UNEXPECTED;
    if (!ppv)
        return E_POINTER;
    if (IsEqualGUID(rclsid, CLSID_SalvoraDriveHandler))
        return DriveHandler::GetClassObject(riid, ppv);
    if (IsEqualGUID(rclsid, CLSID_SalvoraFolderHandler))
        return FolderHandler::GetClassObject(riid, ppv);
    if (IsEqualGUID(rclsid, CLSID_SalvoraFileHandler))
        return FileHandler::GetClassObject(riid, ppv);
    *ppv = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow()
{
    // A worker may outlive its dialog and every object of the shell's.
    return ObjectCount != 0 || FlowWorkerRunning() ? S_FALSE : S_OK;
}

// The exports are called by the shell with the COM calling convention.
static_assert(std::is_same<decltype(&DllGetClassObject),
                           HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*)>::value,
              "DllGetClassObject must use the COM calling convention");
static_assert(std::is_same<decltype(&DllCanUnloadNow), HRESULT(STDAPICALLTYPE*)()>::value,
              "DllCanUnloadNow must use the COM calling convention");
