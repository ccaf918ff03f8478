// Control of the stand-in delete-tracking driver from a test: reset it, set
// its state and drive records, and read back every request it received.
#ifndef SALVORA_TEST_STANDIN_H
#define SALVORA_TEST_STANDIN_H

#include <windows.h>
#include <string>
#include <vector>

#include "standin/vsalvora/vsalvora_ctl.h"

namespace standin {

struct Request {
    unsigned code;
    unsigned inSize;
    unsigned outSize;
    bool succeeded;
    std::vector<unsigned char> in;   // the first input bytes the driver kept
};

// One request to the driver's control device, as vsalvoractl.exe sends it.
bool Control(DWORD code, const void* in, DWORD inSize, void* out = NULL, DWORD outSize = 0);
bool ControlByte(DWORD code, BYTE value);

bool Reset();
bool SetState(bool enabled);
bool SetDrive(int drive, bool enabled, WORD clusterSize = 4096, WORD maxClusters = 0,
              BYTE maxPercent = 0, BYTE dayCount = 0);
bool Protect(char letter, bool enabled = true);
bool Status(VSCTL_STATUS* status);
bool SetAbsent(bool absent);
bool SetFailMask(DWORD mask);
bool SetNotify(bool post);
// Every public request waits that long before it is answered (a slow driver).
bool SetDelay(DWORD ms);
// How GetDriveInfo answers for the drive: VSCTL_ANSWER_FULL, VSCTL_ANSWER_FAIL
// or a short answer of 0..7 bytes.
bool SetAnswer(char letter, BYTE answer);

// Reads and clears the log.
std::vector<Request> TakeLog();
// The codes of TakeLog(), in order.
std::vector<unsigned> TakeCodes();

std::string Describe(const std::vector<Request>& log);

// How many of the codes are that one.
int Count(const std::vector<unsigned>& codes, unsigned code);

// The codes of the requests of one stretch of a test, gathered from the log
// as the test reads them.
class Codes {
public:
    // Every code so far.
    const std::vector<unsigned>& Take();
    int Count(unsigned code);
    // Bounded waits: until that many codes, or one of that code, came.
    bool WaitForSize(size_t count);
    bool WaitFor(unsigned code);
    // Forgets the codes so far, and empties the log.
    void Clear();

private:
    std::vector<unsigned> codes_;
};

}  // namespace standin

#endif
