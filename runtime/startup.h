// The deliverables' own start-up and ending around their entry functions:
// they link no C library, so what its start-up code did is done here.
#ifndef SALVORA_RUNTIME_STARTUP_H
#define SALVORA_RUNTIME_STARTUP_H

// Runs the module's static constructors, once, before its entry function.
void RunConstructors();

// Runs what atexit registered (static destructors), latest first, once
// the entry function has ended for good.
void RunExitHandlers();

#endif
