// Starts the undelete program from the DLL's own directory.
#ifndef SALVORA_SHELLEXT_UNDELETE_H
#define SALVORA_SHELLEXT_UNDELETE_H

#include "shellext/decisions.h"

// The program gets the path, followed by " /drv" in drive mode. When it
// cannot be started the user hears a beep and is told so.
void LaunchUndelete(const char* path, UndeleteMode mode);

#endif
