// Both deliverables find their companions (the undelete program, the help
// file, the INI file) beside their own module.
#ifndef SALVORA_PATHS_MODULEPATH_H
#define SALVORA_PATHS_MODULEPATH_H

#include <windows.h>

// The size of every path buffer of the product: 260 characters and a
// terminator.
const int kPathBufferSize = 261;

// Writes "<directory of module>\<name>" into path (kPathBufferSize chars).
// False, with path empty, when the module's path cannot be read or the result
// would not fit: a cut-off path would name some other file.
bool ModuleSiblingPath(HMODULE module, const char* name, char* path);

#endif
