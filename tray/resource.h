/* Resource and command identifiers of slvrtray.exe, shared by tray.rc and the
 * code. Menu commands are the identifiers of their own texts in the string
 * table, so each command number below is also a string number. */
#ifndef SALVORA_TRAY_RESOURCE_H
#define SALVORA_TRAY_RESOURCE_H

#include "progress/progressids.h"

/* Icons */
#define IDI_SLVRTRAY            1       /* the applet's own, 32 x 32 */
#define IDI_TRAY_ENABLED        2000    /* notification icon, 16 x 16 */
#define IDI_TRAY_DISABLED       2001

/* Bitmaps of the results list's check column, 16 x 16 */
#define IDB_DRIVE_INCLUDED      2002    /* the box with its check mark */
#define IDB_DRIVE_EXCLUDED      2003    /* the empty box */

/* Strings that are not menu texts */
#define IDS_TRACKING_ENABLED    1
#define IDS_TRACKING_DISABLED   2
#define IDS_NEEDS_WINDOWS95     3
#define IDS_CANNOT_LAUNCH       5
#define IDS_NOT_INSTALLED       10
#define IDS_NO_FILES_FOUND      17
#define IDS_COLUMN_DRIVE        18
#define IDS_COLUMN_FILES        19
#define IDS_COLUMN_SPACE        20
#define IDS_DRIVE_FORMAT        21
#define IDS_CANNOT_REMOVE       22

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

/* Preferences. Accelerators used: a c h m n o t */
#define IDD_PREFERENCES         2200
#define IDC_PREFS_TEXT          2200
#define IDC_PREFS_NEVER         2201    /* "Clear Trashcan" 0 */
#define IDC_PREFS_ASK           2202    /* "Clear Trashcan" 2 */
#define IDC_PREFS_ALWAYS        2203    /* "Clear Trashcan" 1 */
#define IDC_PREFS_MESSAGE       2204
#define IDC_PREFS_ABOUT         103

/* The clearing flow's progress dialogs; their controls are the ones of both
 * deliverables, in progress/progressids.h. Accelerators used: c */
#define IDD_SEARCH              3000
#define IDD_REMOVE              3100

/* Results list. Accelerators used: c h o */
#define IDD_RESULTS             3200
#define IDC_RESULTS_LIST        101
#define IDC_RESULTS_ICON        102

/* The Help push button of every dialog of the applet */
#define IDC_HELP_BUTTON         998

/* Help topics */
#define IDH_ABOUT_OK            1
#define IDH_ABOUT_OTHER         103
#define IDH_PREFERENCES         104
#define IDH_RESULTS             107

#endif
