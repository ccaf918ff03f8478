// Resource identifiers of slvrsext.dll, shared by slvrsext.rc and the code.
// Plain macros: the resource compiler reads this file too.
#ifndef SALVORA_SHELLEXT_RESOURCE_H
#define SALVORA_SHELLEXT_RESOURCE_H

#include "progress/progressids.h"

// Context-menu texts.
#define IDS_MENU_UNDELETE            1
#define IDS_MENU_FORCEDELETE         2
#define IDS_MENU_CLEARTRASHCAN       18

// Context-menu help texts.
#define IDS_HELP_UNDELETE_FOLDER     10
#define IDS_HELP_FORCEDELETE_FOLDER  11
#define IDS_HELP_FORCEDELETE_FILE    12
#define IDS_HELP_UNDELETE_DRIVE      13
#define IDS_HELP_CLEARTRASHCAN       19

// Messages.
#define IDS_BAD_DAYCOUNT             3
#define IDS_CANNOT_SAVE_CONFIG       9
#define IDS_TRASHCAN_EMPTY           16
#define IDS_CANNOT_REMOVE_FILE       17
#define IDS_CANNOT_LAUNCH_UNDELETE   20

// Per-drive Trashcan clearing.
#define IDS_REMOVING_TEXT            4
#define IDS_REMOVING_CAPTION         5
#define IDS_DRIVE_FORMAT             14
#define IDS_CLEAR_QUESTION           15

// ForceDelete.
#define IDS_FORCEDELETE_CAPTION      6
#define IDS_ACTION_DELETING_FILE     7
#define IDS_ACTION_REMOVING_FOLDER   8
#define IDS_CONFIRM_FOLDER           22
#define IDS_CONFIRM_FILE             23
#define IDS_CONFIRM_FOLDER_CAPTION   24
#define IDS_CONFIRM_FILE_CAPTION     25
#define IDS_CONFIRM_ITEMS            26
#define IDS_CONFIRM_ITEMS_CAPTION    27
#define IDS_SCANNING                 28
#define IDS_CONFIRM_PROTECTED_FILE   29
#define IDS_FORCEDELETE_IN_USE       30
#define IDS_FORCEDELETE_LINK         31
#define IDS_FORCEDELETE_UNREACHABLE  32
#define IDS_FORCEDELETE_DRIVE        33
#define IDS_FORCEDELETE_TRASHCAN     34

/* The progress dialogs: the Trashcan scan, and the removal that ForceDelete
 * shares. Their controls are the ones of both deliverables, in
 * progress/progressids.h. Accelerators used: c */
#define IDD_SCAN                     3000
#define IDD_PROGRESS                 3100

// The drive page: dialog 3300 and the tab's icon.
#define IDI_DRIVEPAGE                2000
#define IDD_DRIVEPAGE                3300
#define IDC_PAGE_TRASHCAN_GROUP      100
#define IDC_PAGE_CLEAR_GROUP         101
#define IDC_PAGE_UNDELETE_GROUP      102
#define IDC_PAGE_CLEAR               103
#define IDC_PAGE_TRACKING            107
#define IDC_PAGE_DAYCOUNT_ON         108
#define IDC_PAGE_UNDELETE            109
#define IDC_PAGE_PERCENT             110
#define IDC_PAGE_DAYCOUNT            111
#define IDC_PAGE_DAYCOUNT_SPIN       112
#define IDC_PAGE_PERCENT_TEXT        114
#define IDC_PAGE_SCALE_HIGH          120
#define IDC_PAGE_SCALE_LOW           121
#define IDC_PAGE_PERCENT_LABEL       122
#define IDC_PAGE_CLEAR_LABEL         123
#define IDC_PAGE_UNDELETE_LABEL      124

/* ForceDelete's confirmations: of the whole selection (3200), and of one
 * read-only, hidden or system file (3200 or, with "Yes to all" and Cancel,
 * 3400). Control 12291 keeps a text of the template that is never shown.
 * Accelerators used: a c n y */
#define IDD_CONFIRM                  3200
#define IDD_CONFIRM_PROTECTED        3400
#define IDC_CONFIRM_ICON             12304
#define IDC_CONFIRM_UNUSED_TEXT      12291
#define IDC_CONFIRM_MESSAGE          12295
#define IDC_CONFIRM_YES_TO_ALL       12807
#define IDI_FORCEDELETE              2100

#endif
