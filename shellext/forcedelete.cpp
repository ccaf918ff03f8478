#include "shellext/forcedelete.h"

// The confirmations, the progress dialog and its worker are not built yet;
// until then the command deletes nothing.
bool RunForceDelete()
{
    return true;
}
