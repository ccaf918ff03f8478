#include "shellext/cleartrashcan.h"

// The flow itself (scan dialog, question, removal dialog) is not built yet;
// until then the command does nothing.
void ClearDriveTrashcan()
{
}
