// vsalvoractl: steers the stand-in delete-tracking driver for scripts, the
// demo and people, through the driver's private control device.
#include <windows.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vsalvora_ctl.h"

namespace {

enum Exit { EXIT_OK = 0, EXIT_USAGE = 1, EXIT_NO_DRIVER = 2, EXIT_FAILED = 3 };

const char kUsage[] =
    "usage: vsalvoractl COMMAND [ARGUMENTS]\n"
    "\n"
    "  status                 global state, modes, counters, registration and the\n"
    "                         record of every drive that has settings\n"
    "  reset                  back to the state after loading\n"
    "  state on|off           set the global tracking state (notifies like requests 1/2)\n"
    "  drive LETTER on|off [CLUSTER MAXCLUSTERS PERCENT DAYS]\n"
    "                         set a drive's record; without numbers its other\n"
    "                         fields stay as they are\n"
    "  log                    print the log of public requests, then clear it\n"
    "  absent on|off          withdraw (on) or restore (off) the name \\\\.\\VSALVORA\n"
    "  failmask N             public request n fails while bit n of N is set\n"
    "  notify on|off          post (on) or hold (off) state notifications\n"
    "  delay MS               every public request waits MS milliseconds (0..5000)\n"
    "  answer LETTER full|fail|N\n"
    "                         how GetDriveInfo answers for the drive: the whole\n"
    "                         record, failure, or success with only N (0..7) bytes\n"
    "\n"
    "Exit status: 0 done, 1 bad usage, 2 driver not loaded, 3 request refused.\n";

const char* const kRequestNames[] = {
    "", "EnableTracking", "DisableTracking", "QueryState", "IconActivated",
    "CheckPresence", "RegisterNotifyWindow", "GetDriveInfo", "SuspendTracking",
    "ResumeTracking", "SetDriveInfo", "DisableDrive", "TrashcanPurged",
};

int Usage(const char* problem)
{
    if (problem)
        fprintf(stderr, "vsalvoractl: %s\n\n", problem);
    fputs(kUsage, problem ? stderr : stdout);
    return problem ? EXIT_USAGE : EXIT_OK;
}

int BadArgument(const char* problem)
{
    fprintf(stderr, "vsalvoractl: %s (see \"vsalvoractl help\")\n", problem);
    return EXIT_USAGE;
}

// Sends one control request; prints why and returns the exit status on failure.
int Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize)
{
    HANDLE h = CreateFileA(VSCTL_CONTROL_NAME_A, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "vsalvoractl: the stand-in driver is not loaded (cannot open %s, error %lu)\n",
                VSCTL_CONTROL_NAME_A, GetLastError());
        return EXIT_NO_DRIVER;
    }
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, &returned,
                              NULL);
    DWORD error = GetLastError();
    CloseHandle(h);
    if (!ok) {
        fprintf(stderr, "vsalvoractl: the driver refused the request (error %lu)\n", error);
        return EXIT_FAILED;
    }
    return EXIT_OK;
}

// "on"/"off" into 1/0; -1 for anything else.
int ParseOnOff(const char* s)
{
    if (!lstrcmpiA(s, "on")) return 1;
    if (!lstrcmpiA(s, "off")) return 0;
    return -1;
}

// A whole decimal (or 0x hex) number no larger than max.
bool ParseNumber(const char* s, unsigned long max, unsigned long* value)
{
    if (!*s || *s == '-' || *s == '+' || *s == ' ')
        return false;
    char* end = NULL;
    errno = 0;
    unsigned long v = strtoul(s, &end, 0);
    if (errno == ERANGE || *end || v > max)
        return false;
    *value = v;
    return true;
}

// "D", "d" or "D:" into 1..26; 0 for anything else.
int ParseDrive(const char* s)
{
    char c = s[0];
    if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') return 0;
    if (s[1] && !(s[1] == ':' && !s[2])) return 0;
    return c - 'A' + 1;
}

void PrintRecord(const unsigned char* r)
{
    printf("drive %c: %-10s cluster %u, max clusters %u, max percent %u, days %u\n",
           'A' + r[0] - 1, r[1] ? "protected" : "off",
           (unsigned)(r[2] | r[3] << 8), (unsigned)(r[4] | r[5] << 8), r[6], r[7]);
}

int Status()
{
    VSCTL_STATUS s;
    int rc = Control(VSCTL_GET_STATUS, NULL, 0, &s, sizeof(s));
    if (rc) return rc;
    printf("state:          %s\n", s.state ? "enabled" : "disabled");
    printf("absent:         %s\n", s.absent ? "yes (\\\\.\\VSALVORA withdrawn)" : "no");
    printf("notifications:  %s\n", s.notify ? "on" : "held");
    printf("opens:          %u\n", s.openCount);
    printf("suspend count:  %u\n", s.suspendCount);
    printf("purges:         %u\n", s.purgeCount);
    if (s.notifyWindow)
        printf("registration:   window 0x%08X, message %u\n", s.notifyWindow, s.notifyMessage);
    else
        printf("registration:   none\n");
    printf("failure mask:   0x%08X\n", s.failMask);
    printf("posted:         %u\n", s.postCount);
    if (s.delayMs)
        printf("delay:          %u ms per request\n", s.delayMs);
    for (int i = 0; i < VSCTL_DRIVES; i++) {
        unsigned answer = s.answers[i];
        if (answer == VSCTL_ANSWER_FAIL)
            printf("drive %c: GetDriveInfo fails\n", 'A' + i);
        else if (answer != VSCTL_ANSWER_FULL)
            printf("drive %c: GetDriveInfo answers %u bytes of 8\n", 'A' + i, answer);
    }
    bool any = false;
    for (int i = 0; i < VSCTL_DRIVES; i++) {
        const unsigned char* r = s.drives[i];
        bool settings = false;
        for (int b = 1; b < 8; b++)
            settings = settings || r[b];
        if (settings) {
            PrintRecord(r);
            any = true;
        }
    }
    if (!any)
        printf("no drive protected\n");
    return EXIT_OK;
}

int Log()
{
    // Too big for the stack of a small tool; the heap keeps it simple.
    VSCTL_LOG* log = static_cast<VSCTL_LOG*>(HeapAlloc(GetProcessHeap(), 0, sizeof(VSCTL_LOG)));
    if (!log) {
        fprintf(stderr, "vsalvoractl: out of memory\n");
        return EXIT_FAILED;
    }
    int rc = Control(VSCTL_READ_LOG, NULL, 0, log, sizeof(*log));
    if (!rc) {
        unsigned count = log->count < VSCTL_LOG_CAPACITY ? log->count : VSCTL_LOG_CAPACITY;
        for (unsigned i = 0; i < count; i++) {
            const VSCTL_LOG_ENTRY& e = log->entries[i];
            char code[40];
            if (e.code >= 1 && e.code <= 12)
                wsprintfA(code, "%u %s", e.code, kRequestNames[e.code]);
            else
                wsprintfA(code, "0x%08X", e.code);
            unsigned shown = e.inSize < VSCTL_LOG_INBYTES ? e.inSize : VSCTL_LOG_INBYTES;
            printf("%5u  %-24s in %3u  out %3u  %-*s", e.seq, code, e.inSize, e.outSize,
                   shown ? 4 : 0, e.succeeded ? "ok" : "fail");
            for (unsigned b = 0; b < shown; b++)
                printf(" %02X", e.in[b]);
            printf("%s\n", e.inSize > shown ? " ..." : "");
        }
        if (!count && !log->dropped)
            printf("no requests logged\n");
        if (log->dropped)
            printf("(%u requests not logged: the log was full)\n", log->dropped);
    }
    HeapFree(GetProcessHeap(), 0, log);
    return rc;
}

int Drive(int argc, char** argv)
{
    if (argc != 4 && argc != 8)
        return BadArgument("drive takes a letter, on|off and optionally four numbers");
    int drive = ParseDrive(argv[2]);
    if (!drive)
        return BadArgument("the drive must be a letter A..Z");
    int on = ParseOnOff(argv[3]);
    if (on < 0)
        return BadArgument("the drive must be switched on or off");

    unsigned char record[8];
    if (argc == 8) {
        unsigned long cluster, clusters, percent, days;
        if (!ParseNumber(argv[4], 0xFFFF, &cluster) || !ParseNumber(argv[5], 0xFFFF, &clusters) ||
            !ParseNumber(argv[6], 0xFF, &percent) || !ParseNumber(argv[7], 0xFF, &days))
            return BadArgument("CLUSTER and MAXCLUSTERS are 0..65535, PERCENT and DAYS 0..255");
        record[2] = (unsigned char)cluster;
        record[3] = (unsigned char)(cluster >> 8);
        record[4] = (unsigned char)clusters;
        record[5] = (unsigned char)(clusters >> 8);
        record[6] = (unsigned char)percent;
        record[7] = (unsigned char)days;
    } else {
        VSCTL_STATUS s;
        int rc = Control(VSCTL_GET_STATUS, NULL, 0, &s, sizeof(s));
        if (rc) return rc;
        memcpy(record, s.drives[drive - 1], sizeof(record));
    }
    record[0] = (unsigned char)drive;
    record[1] = (unsigned char)on;
    return Control(VSCTL_SET_DRIVE, record, sizeof(record), NULL, 0);
}

int Switch(int argc, char** argv, DWORD code)
{
    if (argc != 3)
        return BadArgument("expected on or off");
    int on = ParseOnOff(argv[2]);
    if (on < 0)
        return BadArgument("expected on or off");
    unsigned char b = (unsigned char)on;
    return Control(code, &b, 1, NULL, 0);
}

int FailMask(int argc, char** argv)
{
    unsigned long mask;
    if (argc != 3 || !ParseNumber(argv[2], 0xFFFFFFFFul, &mask))
        return BadArgument("failmask takes one number, 0..0xFFFFFFFF");
    unsigned int m = (unsigned int)mask;
    return Control(VSCTL_SET_FAILMASK, &m, sizeof(m), NULL, 0);
}

int Delay(int argc, char** argv)
{
    unsigned long ms;
    if (argc != 3 || !ParseNumber(argv[2], VSCTL_MAX_DELAY_MS, &ms))
        return BadArgument("delay takes milliseconds, 0..5000");
    unsigned int m = (unsigned int)ms;
    return Control(VSCTL_SET_DELAY, &m, sizeof(m), NULL, 0);
}

int Answer(int argc, char** argv)
{
    if (argc != 4)
        return BadArgument("answer takes a letter and full, fail or a byte count");
    int drive = ParseDrive(argv[2]);
    if (!drive)
        return BadArgument("the drive must be a letter A..Z");
    unsigned long bytes = 0;
    if (!strcmp(argv[3], "full"))
        bytes = VSCTL_ANSWER_FULL;
    else if (!strcmp(argv[3], "fail"))
        bytes = VSCTL_ANSWER_FAIL;
    else if (!ParseNumber(argv[3], VSCTL_ANSWER_FULL - 1, &bytes))
        return BadArgument("the answer is full, fail or a byte count 0..7");
    unsigned char in[2] = {(unsigned char)drive, (unsigned char)bytes};
    return Control(VSCTL_SET_ANSWER, in, sizeof(in), NULL, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage("no command given");
    const char* cmd = argv[1];
    if (!strcmp(cmd, "help") || !strcmp(cmd, "-h") || !strcmp(cmd, "--help") || !strcmp(cmd, "/?"))
        return Usage(NULL);
    if (!strcmp(cmd, "status"))
        return argc == 2 ? Status() : BadArgument("status takes no arguments");
    if (!strcmp(cmd, "reset"))
        return argc == 2 ? Control(VSCTL_RESET, NULL, 0, NULL, 0) : BadArgument("reset takes no arguments");
    if (!strcmp(cmd, "log"))
        return argc == 2 ? Log() : BadArgument("log takes no arguments");
    if (!strcmp(cmd, "state"))
        return Switch(argc, argv, VSCTL_SET_STATE);
    if (!strcmp(cmd, "absent"))
        return Switch(argc, argv, VSCTL_SET_ABSENT);
    if (!strcmp(cmd, "notify"))
        return Switch(argc, argv, VSCTL_SET_NOTIFY);
    if (!strcmp(cmd, "drive"))
        return Drive(argc, argv);
    if (!strcmp(cmd, "failmask"))
        return FailMask(argc, argv);
    if (!strcmp(cmd, "delay"))
        return Delay(argc, argv);
    if (!strcmp(cmd, "answer"))
        return Answer(argc, argv);
    return Usage("unknown command");
}
