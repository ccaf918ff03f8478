/* Private control interface of the stand-in delete-tracking driver.
 *
 * Shared by the driver (C, kernel mode under Wine), vsalvoractl.exe and the
 * Wine test support. The product never includes this file: it speaks only the
 * twelve public requests, whose codes all have device type 0.
 *
 * Every control code below has device type VSCTL_DEVICE_TYPE (in the
 * customer range 0x8000..0xFFFF), so no control code can ever equal a public
 * request code 1..12. Control requests are METHOD_BUFFERED and are accepted
 * on both device names; the control tool uses \\.\VSALVORACTL, which stays
 * reachable while the public name \\.\VSALVORA is withdrawn ("absent" mode).
 */
#ifndef VSALVORA_CTL_H
#define VSALVORA_CTL_H

#define VSCTL_DEVICE_TYPE 0x8A5C
#define VSCTL_CODE(fn) \
    (((ULONG)VSCTL_DEVICE_TYPE << 16) | ((ULONG)(0x800 + (fn)) << 2) | 0 /* METHOD_BUFFERED */)

#define VSCTL_PUBLIC_NAME_A  "\\\\.\\VSALVORA"
#define VSCTL_CONTROL_NAME_A "\\\\.\\VSALVORACTL"

/* in: nothing. Back to the state after loading: tracking enabled, no drive
 * protected, no registration, counters and log cleared, not absent, no
 * forced failures, every drive's record answered whole, notifications on. */
#define VSCTL_RESET         VSCTL_CODE(0)
/* in: 1 byte, the new global state (0 disabled, else enabled). Posts the
 * registered message like requests 1, 2 and 4 when the state changes. */
#define VSCTL_SET_STATE     VSCTL_CODE(1)
/* in: 8 bytes, a drive record; stored under its drive byte (1..26). */
#define VSCTL_SET_DRIVE     VSCTL_CODE(2)
/* out: VSCTL_STATUS. */
#define VSCTL_GET_STATUS    VSCTL_CODE(3)
/* out: VSCTL_LOG; the log is cleared by reading it. */
#define VSCTL_READ_LOG      VSCTL_CODE(4)
/* in: 1 byte, nonzero: withdraw the public name so that opening
 * \\.\VSALVORA fails exactly as with no driver loaded; 0: restore it. */
#define VSCTL_SET_ABSENT    VSCTL_CODE(5)
/* in: 4 bytes, bit n set: public request n (1..12) fails while the driver
 * stays present (the request is still logged). */
#define VSCTL_SET_FAILMASK  VSCTL_CODE(6)
/* in: 1 byte, 0: hold state notifications (nothing is posted), nonzero:
 * post them again. Held notifications are dropped, not queued. */
#define VSCTL_SET_NOTIFY    VSCTL_CODE(7)
/* in: 4 bytes, milliseconds (at most 5000) that every public request waits
 * before it is answered, as a slow driver would; 0 answers at once. */
#define VSCTL_SET_DELAY     VSCTL_CODE(8)
#define VSCTL_MAX_DELAY_MS  5000
/* in: 2 bytes, a drive number (1..26) and how request 7 answers for it:
 * VSCTL_ANSWER_FULL (8) the whole record, 0..7 success with only that many
 * bytes written and returned (a short answer), VSCTL_ANSWER_FAIL failure
 * with ERROR_GEN_FAILURE and nothing written. */
#define VSCTL_SET_ANSWER    VSCTL_CODE(9)
#define VSCTL_ANSWER_FULL   8
#define VSCTL_ANSWER_FAIL   0xFF

#define VSCTL_DRIVES        26
#define VSCTL_LOG_CAPACITY  256
#define VSCTL_LOG_INBYTES   16

typedef struct VSCTL_STATUS {
    unsigned char  state;          /* global tracking state byte */
    unsigned char  absent;         /* public name withdrawn */
    unsigned char  notify;         /* notifications posted */
    unsigned char  reserved;
    unsigned int   openCount;      /* opens of the public device since reset */
    unsigned int   suspendCount;   /* nesting of requests 8/9 */
    unsigned int   purgeCount;     /* requests 12 received */
    unsigned int   notifyWindow;   /* registration of request 6 (0: none) */
    unsigned int   notifyMessage;
    unsigned int   failMask;
    unsigned int   postCount;      /* notifications posted since reset */
    unsigned int   delayMs;        /* wait before each public answer */
    unsigned char  drives[VSCTL_DRIVES][8];   /* records of drives 1..26 */
    unsigned char  answers[VSCTL_DRIVES];     /* how request 7 answers for each */
    unsigned char  reserved2[2];
} VSCTL_STATUS;

typedef struct VSCTL_LOG_ENTRY {
    unsigned int   seq;            /* 1, 2, ... since reset */
    unsigned int   code;           /* the request code as received */
    unsigned int   inSize;         /* input size as sent */
    unsigned int   outSize;        /* output size as sent */
    unsigned int   succeeded;      /* nonzero: the request was answered with success */
    unsigned char  in[VSCTL_LOG_INBYTES];   /* first input bytes (inSize may be larger) */
} VSCTL_LOG_ENTRY;

typedef struct VSCTL_LOG {
    unsigned int   count;          /* entries below */
    unsigned int   dropped;        /* requests not logged because the log was full */
    VSCTL_LOG_ENTRY entries[VSCTL_LOG_CAPACITY];
} VSCTL_LOG;

#endif
