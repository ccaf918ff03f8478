/* Resource and command identifiers of slvrtray.exe, shared by tray.rc and the
 * code. Menu commands are the identifiers of their own texts in the string
 * table, so each command number below is also a string number. */
#ifndef SALVORA_TRAY_RESOURCE_H
#define SALVORA_TRAY_RESOURCE_H

/* Icons */
#define IDI_SLVRTRAY            1       /* the applet's own, 32 x 32 */
#define IDI_TRAY_ENABLED        2000    /* notification icon, 16 x 16 */
#define IDI_TRAY_DISABLED       2001

/* Strings that are not menu texts */
#define IDS_TRACKING_ENABLED    1
#define IDS_TRACKING_DISABLED   2
#define IDS_NEEDS_WINDOWS95     3
#define IDS_CANNOT_LAUNCH       5
#define IDS_NOT_INSTALLED       10

/* Menu commands and their texts. Accelerators used: a c d e h p t u x */
#define IDM_UNDELETE            4
#define IDM_EXIT                100
#define IDM_ENABLE              101
#define IDM_DISABLE             102
#define IDM_ABOUT               103
#define IDM_HELP                104
#define IDM_PREFERENCES         105
#define IDM_CLEAR_TRASHCAN      106

/* About box */
#define IDD_ABOUT               2005
#define IDC_ABOUT_PRODUCT       2100
#define IDC_ABOUT_STATE         2101
#define IDC_ABOUT_LINE          13095

/* The Help push button of every dialog of the applet */
#define IDC_HELP_BUTTON         998

/* Help topics */
#define IDH_ABOUT_OK            1
#define IDH_ABOUT_OTHER         103

#endif
