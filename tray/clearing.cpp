// Emptying the Trashcans of all protected drives, from the menu and at
// shutdown.
#include "tray/tray.h"

void ClearAllTrashcans(int)
{
}
