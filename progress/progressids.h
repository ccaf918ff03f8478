/* The controls of the progress dialogs, the same in both deliverables: their
 * .rc files place them and the code writes them. Plain macros: the resource
 * compiler reads this file too. */
#ifndef SALVORA_PROGRESS_PROGRESSIDS_H
#define SALVORA_PROGRESS_PROGRESSIDS_H

#define IDC_PROGRESS_COUNT      101     /* search: "%lu files" */
#define IDC_PROGRESS_TEXT       103     /* removal, ForceDelete: what is being done */
#define IDC_PROGRESS_BAR        104
#define IDC_PROGRESS_DRIVE      105     /* search: "Drive X:" */
#define IDC_PROGRESS_PERCENT    105     /* removal, ForceDelete: the same place shows "40%" */

#endif
