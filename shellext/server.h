// Module-wide state of the COM server: its module handle and the count of
// live objects that keeps it loaded.
#ifndef SALVORA_SHELLEXT_SERVER_H
#define SALVORA_SHELLEXT_SERVER_H

#include <windows.h>
#include <stdint.h>

// The DLL's own module: every string, dialog and icon is loaded from it, and
// its directory holds the undelete program, the INI file and the help file.
extern HMODULE DllModule;

// Live factories, initialisers, companions and property pages. Changed only
// with InterlockedIncrement/InterlockedDecrement: the property sheet counts
// its pages in it from its own thread.
extern LONG ObjectCount;

#endif
