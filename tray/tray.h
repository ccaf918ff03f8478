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
// The icon of the most recent SetTrayIcon, so that removal names it.
extern HICON CurrentIcon;
// Set once the applet has been asked to end (Exit, or its window closed).
extern bool Ending;

// Settings (settings.cpp); their initial values are the defaults.
extern int ShutdownClearMode;       // a ClearMode
extern int ShowStartupMessages;     // start-up messages only when 1

// traywindow.cpp: the main window and its icon.
bool QueryTrackingState();
void SetTrayIcon(HWND window, DWORD action, HICON icon, UINT tipId);
void UpdateTrayIcon(bool enabled);
void RemoveTrayIconAndQuit(HWND window);
void ShowStringMessage(UINT stringId);
ATOM RegisterTrayClass();
bool CreateTrayWindow();
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// traymenu.cpp: the menu, its commands, the about box, help and undelete.
void ShowTrayMenu(HWND window);
void AppendMenuString(HMENU menu, UINT flags, UINT id);
void OnTrayCommand(HWND window, UINT id);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ShowHelp(HWND window, UINT command, WORD data);
void LaunchUndelete(HWND window);

// settings.cpp: reads both settings at start-up; stores both, false when
// the key could not be opened or made.
void ReadSettings();
bool WriteSettings();

// preferences.cpp: the preferences dialog, modal, owned by the given window.
void ShowPreferences(HWND owner);
INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
bool IsButtonChecked(HWND dialog, int control);

// clearing.cpp: empties the Trashcans of all protected drives; returns when
// the whole flow, its dialogs included, is over. A call made while a run is
// open (from within its dialogs' modal loops) does nothing.
void ClearAllTrashcans(int mode);
// The user has asked the applet to end: a running worker stops at its next
// check, and the open run ends without a further dialog.
void CancelClearing();
// After the message loop: stops the worker for good (within a few seconds).
void FinishClearing();

#endif
