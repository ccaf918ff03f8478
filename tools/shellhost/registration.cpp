#include "tools/shellhost/registration.h"

#include <stdio.h>

#include "shellext/classids.h"

namespace {

struct Handler {
    const GUID* clsid;
    const char* description;
};

const Handler kHandlers[] = {
    {&CLSID_SalvoraDriveHandler, "Salvora Drive Extension"},
    {&CLSID_SalvoraFolderHandler, "Salvora Folder Extension"},
    {&CLSID_SalvoraFileHandler, "Salvora File Extension"},
};

struct HandlerKey {
    const char* key;
    const GUID* clsid;
};

const HandlerKey kHandlerKeys[] = {
    {"Drive\\shellex\\ContextMenuHandlers\\Salvora", &CLSID_SalvoraDriveHandler},
    {"Drive\\shellex\\PropertySheetHandlers\\Salvora", &CLSID_SalvoraDriveHandler},
    {"Directory\\shellex\\ContextMenuHandlers\\Salvora", &CLSID_SalvoraFolderHandler},
    {"*\\shellex\\ContextMenuHandlers\\Salvora", &CLSID_SalvoraFileHandler},
};

HKEY OpenClasses(RegistrationScope scope)
{
    if (scope == RegistrationScope::Machine)
        return HKEY_CLASSES_ROOT;
    HKEY classes = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                        &classes, NULL) != ERROR_SUCCESS)
        return NULL;
    return classes;
}

void CloseClasses(HKEY classes)
{
    if (classes && classes != HKEY_CLASSES_ROOT)
        RegCloseKey(classes);
}

bool SetValue(HKEY root, const std::string& key, const char* name, const std::string& value)
{
    HKEY h = NULL;
    if (RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &h, NULL) !=
        ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             (DWORD)value.size() + 1) == ERROR_SUCCESS;
    RegCloseKey(h);
    return ok;
}

bool DeleteKey(HKEY root, const std::string& key)
{
    LONG result = RegDeleteKeyA(root, key.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::string GuidText(const GUID& g)
{
    char text[40];
    snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             (unsigned long)g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
             g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

bool RegisterExtension(const std::string& dllPath, RegistrationScope scope)
{
    HKEY classes = OpenClasses(scope);
    if (!classes)
        return false;
    bool ok = true;
    for (const Handler& h : kHandlers) {
        std::string key = "CLSID\\" + GuidText(*h.clsid);
        ok = SetValue(classes, key, NULL, h.description) && ok;
        ok = SetValue(classes, key + "\\InprocServer32", NULL, dllPath) && ok;
        ok = SetValue(classes, key + "\\InprocServer32", "ThreadingModel", "Apartment") && ok;
    }
    for (const HandlerKey& k : kHandlerKeys)
        ok = SetValue(classes, k.key, NULL, GuidText(*k.clsid)) && ok;
    CloseClasses(classes);
    return ok;
}

bool UnregisterExtension(RegistrationScope scope)
{
    HKEY classes = OpenClasses(scope);
    if (!classes)
        return false;
    bool ok = true;
    for (const HandlerKey& k : kHandlerKeys)
        ok = DeleteKey(classes, k.key) && ok;
    for (const Handler& h : kHandlers) {
        std::string key = "CLSID\\" + GuidText(*h.clsid);
        ok = DeleteKey(classes, key + "\\InprocServer32") && ok;
        ok = DeleteKey(classes, key) && ok;
    }
    CloseClasses(classes);
    return ok;
}
