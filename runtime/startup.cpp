// Static construction and destruction for the deliverables. The compiler
// puts a module's constructors in a list the linker closes; destructors of
// static objects are registered through atexit as their constructors run.
#include "runtime/startup.h"

#include <windows.h>
#include <stdlib.h>

// Both ends of the list come from the linker's script: a -1 that starts
// it, the constructors, and a null that ends it.
extern "C" void (*__CTOR_LIST__[])();

namespace {

// A few static objects in all; a registration beyond them is refused, and
// atexit says so, rather than written past the table.
const int kExitSlots = 16;
void (*ExitHandlers[kExitSlots])();
int ExitCount = 0;

}  // namespace

void RunConstructors()
{
    int count = 0;
    while (__CTOR_LIST__[count + 1])
        ++count;
    // The list holds the last object file's constructors first.
    for (int i = count; i >= 1; --i)
        __CTOR_LIST__[i]();
}

void RunExitHandlers()
{
    // Each handler leaves the table before it runs, so that an exit called
    // from one of them does not run it again.
    while (ExitCount > 0)
        ExitHandlers[--ExitCount]();
}

extern "C" int atexit(void (*handler)())
{
    if (ExitCount == kExitSlots)
        return -1;
    ExitHandlers[ExitCount++] = handler;
    return 0;
}

// Reached only from a fatal programming fault (a collection misused); in
// the shell extension it ends the shell's process, as it always did.
extern "C" void exit(int code)
{
    RunExitHandlers();
    ExitProcess(static_cast<UINT>(code));
}
