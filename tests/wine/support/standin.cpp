#include "standin.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "support/ui.h"

namespace standin {

bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize)
{
    HANDLE h = CreateFileA(VSCTL_CONTROL_NAME_A, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned, NULL);
    CloseHandle(h);
    return ok != FALSE;
}

bool ControlByte(DWORD code, BYTE value)
{
    return Control(code, &value, 1);
}

bool Reset() { return Control(VSCTL_RESET, NULL, 0); }
bool SetState(bool enabled) { return ControlByte(VSCTL_SET_STATE, enabled); }
bool SetAbsent(bool absent) { return ControlByte(VSCTL_SET_ABSENT, absent); }
bool SetNotify(bool post) { return ControlByte(VSCTL_SET_NOTIFY, post); }
bool SetFailMask(DWORD mask) { return Control(VSCTL_SET_FAILMASK, &mask, 4); }
bool SetDelay(DWORD ms) { return Control(VSCTL_SET_DELAY, &ms, 4); }

bool SetDrive(int drive, bool enabled, WORD clusterSize, WORD maxClusters, BYTE maxPercent,
              BYTE dayCount)
{
    unsigned char rec[8] = {(unsigned char)drive, (unsigned char)(enabled ? 1 : 0),
                            LOBYTE(clusterSize), HIBYTE(clusterSize), LOBYTE(maxClusters),
                            HIBYTE(maxClusters), maxPercent, dayCount};
    return Control(VSCTL_SET_DRIVE, rec, sizeof rec);
}

bool Protect(char letter, bool enabled)
{
    return SetDrive((letter & ~0x20) - 'A' + 1, enabled);
}

bool SetAnswer(char letter, BYTE answer)
{
    unsigned char in[2] = {(unsigned char)((letter & ~0x20) - 'A' + 1), answer};
    return Control(VSCTL_SET_ANSWER, in, sizeof in);
}

bool Status(VSCTL_STATUS* status)
{
    memset(status, 0, sizeof *status);
    return Control(VSCTL_GET_STATUS, NULL, 0, status, sizeof *status);
}

std::vector<Request> TakeLog()
{
    std::vector<Request> out;
    VSCTL_LOG* log = new VSCTL_LOG;
    memset(log, 0, sizeof *log);
    if (Control(VSCTL_READ_LOG, NULL, 0, log, sizeof *log)) {
        unsigned n = log->count < VSCTL_LOG_CAPACITY ? log->count : VSCTL_LOG_CAPACITY;
        for (unsigned i = 0; i < n; ++i) {
            const VSCTL_LOG_ENTRY& e = log->entries[i];
            Request r;
            r.code = e.code;
            r.inSize = e.inSize;
            r.outSize = e.outSize;
            r.succeeded = e.succeeded != 0;
            unsigned kept = e.inSize < VSCTL_LOG_INBYTES ? e.inSize : VSCTL_LOG_INBYTES;
            r.in.assign(e.in, e.in + kept);
            out.push_back(r);
        }
    }
    delete log;
    return out;
}

std::vector<unsigned> TakeCodes()
{
    std::vector<unsigned> codes;
    for (const Request& r : TakeLog())
        codes.push_back(r.code);
    return codes;
}

std::string Describe(const std::vector<Request>& log)
{
    std::string s;
    char line[96];
    for (const Request& r : log) {
        snprintf(line, sizeof line, "[%u in=%u out=%u %s", r.code, r.inSize, r.outSize,
                 r.succeeded ? "ok" : "fail");
        s += line;
        for (unsigned char b : r.in) {
            snprintf(line, sizeof line, " %02x", b);
            s += line;
        }
        s += "] ";
    }
    return s;
}

int Count(const std::vector<unsigned>& codes, unsigned code)
{
    return (int)std::count(codes.begin(), codes.end(), code);
}

const std::vector<unsigned>& Codes::Take()
{
    for (unsigned code : TakeCodes())
        codes_.push_back(code);
    return codes_;
}

int Codes::Count(unsigned code)
{
    return standin::Count(Take(), code);
}

bool Codes::WaitForSize(size_t count)
{
    return ui::WaitUntil([&] { return Take().size() >= count; });
}

bool Codes::WaitFor(unsigned code)
{
    return ui::WaitUntil([&] { return Count(code) > 0; });
}

void Codes::Clear()
{
    TakeLog();
    codes_.clear();
}

}  // namespace standin
