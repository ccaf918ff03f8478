// The preferences dialog opened from the menu: what happens to the
// Trashcans at shutdown, and whether a failed start is explained.
#include "tray/tray.h"

#include "progress/progress.h"

namespace {

bool IsButtonChecked(HWND dialog, int control)
{
    return SendDlgItemMessageA(dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The radio buttons do not run in the order of the modes: the middle one
// asks (2), the last one clears at once (1).
int RadioOfMode(int mode)
{
    switch (mode) {
    case ClearNever:               return IDC_PREFS_NEVER;
    case ClearWithoutConfirmation: return IDC_PREFS_ALWAYS;
    case ClearAfterConfirmation:   return IDC_PREFS_ASK;
    }
    return 0;   // none of them
}

void OnPreferencesInit(HWND dialog)
{
    SetWindowLongA(dialog, GWL_EXSTYLE, GetWindowLongA(dialog, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    CheckRadioButton(dialog, IDC_PREFS_NEVER, IDC_PREFS_ALWAYS, RadioOfMode(ShutdownClearMode));
    // The box shows whether the messages would come: only a 1 shows them.
    CheckDlgButton(dialog, IDC_PREFS_MESSAGE, ShowStartupMessages == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void TakeOverSettings(HWND dialog)
{
    ShutdownClearMode = ClearNever;
    ShowStartupMessages = 0;
    if (IsButtonChecked(dialog, IDC_PREFS_MESSAGE))
        ShowStartupMessages = 1;
    if (IsButtonChecked(dialog, IDC_PREFS_ALWAYS))
        ShutdownClearMode = ClearWithoutConfirmation;
    if (IsButtonChecked(dialog, IDC_PREFS_ASK))
        ShutdownClearMode = ClearAfterConfirmation;
    // Where the key cannot be made the settings hold for this run only.
    WriteSettings();
}

INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnPreferencesInit(dialog);
        return TRUE;
    case WM_HELP:
        ShowPopupHelp(dialog, lParam);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            ShowHelp(dialog, HELP_QUIT, 0);
            TakeOverSettings(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            ShowHelp(dialog, HELP_QUIT, 0);
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_PREFS_ABOUT:
            ShowAbout(dialog);
            return FALSE;
        case IDC_HELP_BUTTON:
            ShowHelp(dialog, HELP_CONTEXT, IDH_PREFERENCES);
            return FALSE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void ShowPreferences(HWND owner)
{
    RunModalDialog(Instance, IDD_PREFERENCES, owner, PreferencesDialogProc);
}
