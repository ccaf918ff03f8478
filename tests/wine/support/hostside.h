// The host side of the test drives. Wine maps each drive letter to a host
// folder, and some things a test needs there only host programs can make:
// names Windows cannot spell, symbolic links.
#ifndef SALVORA_TEST_HOSTSIDE_H
#define SALVORA_TEST_HOSTSIDE_H

#include <windows.h>
#include <string>

#include "support/ui.h"

namespace host {

// The host path of a Windows path; "" when Wine cannot tell.
std::string PathOf(const std::string& windowsPath);

// The text as one word of a shell command, whatever bytes it holds.
std::string Quote(const std::string& text);

// Runs a /bin/sh script on the host (its commands stop at the first that
// fails); true when it ran to its end in time.
bool Run(const std::string& script, DWORD timeoutMs = ui::kWait);

}  // namespace host

#endif
