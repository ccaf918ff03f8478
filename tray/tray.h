// What the parts of the tray applet share: its process-wide cells, its
// private window messages and the entry points of each feature.
//
// Everything here runs on the applet's one user-interface thread.
#ifndef SALVORA_TRAY_TRAY_H
#define SALVORA_TRAY_TRAY_H

#include <windows.h>

#include "tray/resource.h"

// The class a second copy of the applet looks for.
extern const char kTrayWindowClass[];

// Mouse activity over the notification icon; lParam is the mouse message.
const UINT WM_TRAYICON = WM_USER + 1;
// Posted by the driver after RegisterNotifyWindow; the low byte of wParam is
// the new tracking state.
const UINT WM_TRACKINGSTATE = WM_USER + 2;
// The applet's one notification icon.
const UINT kTrayIconId = 1000;

// How the all-drives clearing runs; the argument of ClearAllTrashcans.
enum ClearMode {
    ClearNever = 0,                 // and every negative value
    ClearWithoutConfirmation = 1,
    ClearAfterConfirmation = 2,
    ClearFromMenu = 3               // the menu's own; never stored
};

// The module every string, icon and dialog comes from.
extern HINSTANCE Instance;
// The hidden window that owns the icon; NULL until it exists.
extern HWND MainWindow;
extern HICON EnabledIcon;
extern HICON DisabledIcon;

// Settings (settings.cpp); their initial values are the defaults.
extern int ShutdownClearMode;       // a ClearMode
extern int ShowStartupMessages;     // start-up messages only when 1

// traywindow.cpp: the main window and its icon.
bool QueryTrackingState();
void SetTrayIcon(HWND window, DWORD action, HICON icon, UINT tipId);
// Exit and the window's end both come here; the applet ends once.
void RemoveTrayIconAndQuit(HWND window);
void ShowStringMessage(UINT stringId);
ATOM RegisterTrayClass();
bool CreateTrayWindow();

// traymenu.cpp: the menu, its commands, the about box and help.
void ShowTrayMenu(HWND window);
void OnTrayCommand(HWND window, UINT id);
// The about box, modal, owned by the given window.
void ShowAbout(HWND owner);
// WinHelpA with the applet's help file beside it.
void ShowHelp(HWND window, UINT command, WORD data);
// A dialog's WM_HELP: the pop-up help of the control the user asked about,
// whose topic is its identifier unless topicOf says otherwise.
void ShowPopupHelp(HWND dialog, LPARAM helpInfo, WORD (*topicOf)(int control) = NULL);

// settings.cpp: reads both settings at start-up; stores both, false when
// the key could not be opened or made.
void ReadSettings();
bool WriteSettings();

// preferences.cpp: the preferences dialog, modal, owned by the given window.
void ShowPreferences(HWND owner);

// clearing.cpp: empties the Trashcans of all protected drives; returns when
// the whole flow, its dialogs included, is over. A call made while a run is
// open (from within its dialogs' modal loops) starts no second run; the
// menu's is answered with a beep.
void ClearAllTrashcans(int mode);
// The user has asked the applet to end: a running worker stops at its next
// check, and the open run ends without a further dialog.
void CancelClearing();
// After the message loop: stops the worker for good (within a few seconds).
void FinishClearing();

#endif
