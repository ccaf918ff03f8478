// The REVIVR.EXE stand-in as a test meets it: the windows it opens and the
// command lines it records, one a line, in REVIVR.LOG beside itself.
#ifndef SALVORA_TEST_REVIVR_H
#define SALVORA_TEST_REVIVR_H

#include <windows.h>

#include <set>
#include <string>

#include "support/files.h"

namespace revivr {

std::string LogPath(const std::string& dir = files::BinDir());

// The REVIVR.EXE windows that were open before a test, and the log it had,
// are none of its business: it waits for a window of its own, closes it and
// waits until that program has ended; it reads what was logged since.
class Watch {
public:
    explicit Watch(const std::string& dir = files::BinDir());
    bool CloseNext();
    // Leaves no program of the test running, whatever went wrong.
    void CloseAll();
    std::string NewLog() const;

private:
    std::string log_;
    size_t logStart_;
    std::set<HWND> before_;
    std::set<HWND> closed_;
};

}  // namespace revivr

#endif
