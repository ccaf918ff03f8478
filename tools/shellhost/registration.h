// The extension's registration, as the installer writes it (the entries of
// shellext/slvrsext.reg), with the path of the DLL actually used.
#ifndef SALVORA_TOOLS_SHELLHOST_REGISTRATION_H
#define SALVORA_TOOLS_SHELLHOST_REGISTRATION_H

#include <windows.h>
#include <string>

// Machine: HKEY_CLASSES_ROOT, the only place Windows 95 knows. User:
// HKEY_CURRENT_USER\Software\Classes, which later systems merge into it.
enum class RegistrationScope { Machine, User };

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
std::string GuidText(const GUID& guid);

bool RegisterExtension(const std::string& dllPath, RegistrationScope scope);
// Removes the entries written by RegisterExtension; keys shared with other
// extensions (Drive\shellex and the like) stay.
bool UnregisterExtension(RegistrationScope scope);

#endif
