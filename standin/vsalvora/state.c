/* The driver's state: the cells behind the lock, and what resets, changes,
 * logs and reports them. */
#include "vsalvora.h"

/* user32, loaded into winedevice.exe beside us. */
__declspec(dllimport) int __stdcall PostMessageA(void *window, unsigned int message,
                                                  ULONG_PTR wParam, LONG_PTR lParam);

/* Everything below is guarded by `lock`. */
FAST_MUTEX lock;
UCHAR tracking_state;
UCHAR absent;
UCHAR notify_on;
ULONG open_count;
ULONG suspend_count;
ULONG purge_count;
ULONG notify_window;
ULONG notify_message;
ULONG fail_mask;
ULONG post_count;
ULONG delay_ms;
UCHAR drives[VSCTL_DRIVES][RECORD_SIZE];
UCHAR answers[VSCTL_DRIVES];
ULONG next_seq;
VSCTL_LOG request_log;

void reset_drives(void)
{
    ULONG i;
    RtlZeroMemory(drives, sizeof(drives));
    for (i = 0; i < VSCTL_DRIVES; i++) {
        drives[i][0] = (UCHAR)(i + 1);
        answers[i] = VSCTL_ANSWER_FULL;
    }
}

/* Withdraws or restores the public DOS name. Opening a name that does not
 * exist fails in the object manager, before any driver is asked, so the
 * caller sees exactly what it sees with no driver loaded. The create
 * dispatch also refuses while absent, should a name survive. */
void set_absent(UCHAR on)
{
    if (on && !absent)
        IoDeleteSymbolicLink(&public_dos_name);
    else if (!on && absent)
        IoCreateSymbolicLink(&public_dos_name, &public_device_name);
    absent = on ? 1 : 0;
}

void reset_all(void)
{
    tracking_state = 1;
    set_absent(0);
    notify_on = 1;
    open_count = 0;
    suspend_count = 0;
    purge_count = 0;
    notify_window = 0;
    notify_message = 0;
    fail_mask = 0;
    post_count = 0;
    delay_ms = 0;
    reset_drives();
    next_seq = 0;
    RtlZeroMemory(&request_log, sizeof(request_log));
}

/* Called with the lock held. */
void change_state(UCHAR new_state)
{
    void *window;

    new_state = new_state ? 1 : 0;
    if (new_state == tracking_state)
        return;
    tracking_state = new_state;
    if (!notify_on || !notify_window)
        return;
    /* Window handles are 32-bit values that widen with sign extension. */
    window = (void *)(LONG_PTR)(LONG)notify_window;
    if (PostMessageA(window, notify_message, new_state, 0))
        post_count++;
}

/* Called with the lock held. Reads at most the first VSCTL_LOG_INBYTES of
 * the in_len bytes the caller gave. */
void log_request(ULONG code, const UCHAR *in, ULONG in_len, ULONG out_len, BOOLEAN ok)
{
    VSCTL_LOG_ENTRY *e;
    ULONG n;

    next_seq++;
    if (request_log.count >= VSCTL_LOG_CAPACITY) {
        request_log.dropped++;
        return;
    }
    e = &request_log.entries[request_log.count++];
    RtlZeroMemory(e, sizeof(*e));
    e->seq = next_seq;
    e->code = code;
    e->inSize = in_len;
    e->outSize = out_len;
    e->succeeded = ok ? 1 : 0;
    n = in_len < VSCTL_LOG_INBYTES ? in_len : VSCTL_LOG_INBYTES;
    if (in)
        RtlCopyMemory(e->in, in, n);
}

ULONG drive_index(ULONG drive, NTSTATUS *status)
{
    if (drive < 1 || drive > VSCTL_DRIVES) {
        *status = STATUS_INVALID_PARAMETER;
        return 0;
    }
    return drive - 1;
}

void fill_status(VSCTL_STATUS *s)
{
    RtlZeroMemory(s, sizeof(*s));
    s->state = tracking_state;
    s->absent = absent;
    s->notify = notify_on;
    s->openCount = open_count;
    s->suspendCount = suspend_count;
    s->purgeCount = purge_count;
    s->notifyWindow = notify_window;
    s->notifyMessage = notify_message;
    s->failMask = fail_mask;
    s->postCount = post_count;
    s->delayMs = delay_ms;
    RtlCopyMemory(s->drives, drives, sizeof(drives));
    RtlCopyMemory(s->answers, answers, sizeof(answers));
}
