/* vsalvora.sys: the delete-tracking driver as Wine can host it.
 *
 * It tracks no deletions. It keeps the state the product asks about (global
 * tracking state, 26 drive records, the notification registration), answers
 * the twelve public requests on \Device\VSalvora (DOS name VSALVORA), and lets
 * the control tool and the tests steer it and read a log of every public
 * request through the private codes of vsalvora_ctl.h, on either device.
 *
 * The driver runs inside Wine's winedevice.exe, a user process, which is why
 * it can post window messages through user32. All mutable state sits behind
 * one fast mutex; the state notification is posted while that mutex is held,
 * so notifications reach the window in the order the state changed (posting
 * never blocks, so holding a mutex, unlike a spin lock, is fine).
 */
#include <ntddk.h>

#include "vsalvora_ctl.h"

/* user32, loaded into winedevice.exe beside us. */
__declspec(dllimport) int __stdcall PostMessageA(void *window, unsigned int message,
                                                  ULONG_PTR wParam, LONG_PTR lParam);

#define PUBLIC_REQUESTS 12
#define RECORD_SIZE     8

/* Exact in/out sizes of the public requests; anything else fails. */
static const UCHAR request_in_size[PUBLIC_REQUESTS + 1] =
    { 0,  0, 0, 0, 0, 0, 8, 4, 0, 0, 8, 2, 0 };
static const UCHAR request_out_size[PUBLIC_REQUESTS + 1] =
    { 0,  0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 0, 0 };

enum {
    REQ_ENABLE = 1, REQ_DISABLE, REQ_QUERY_STATE, REQ_ICON_ACTIVATED, REQ_CHECK_PRESENCE,
    REQ_REGISTER_NOTIFY, REQ_GET_DRIVE, REQ_SUSPEND, REQ_RESUME, REQ_SET_DRIVE,
    REQ_DISABLE_DRIVE, REQ_TRASHCAN_PURGED
};

static DEVICE_OBJECT *public_device;
static DEVICE_OBJECT *control_device;
static UNICODE_STRING public_device_name;
static UNICODE_STRING public_dos_name;
static UNICODE_STRING control_device_name;
static UNICODE_STRING control_dos_name;

/* Everything below is guarded by `lock`. */
static FAST_MUTEX lock;
static UCHAR tracking_state;
static UCHAR absent;
static UCHAR notify_on;
static ULONG open_count;
static ULONG suspend_count;
static ULONG purge_count;
static ULONG notify_window;
static ULONG notify_message;
static ULONG fail_mask;
static ULONG post_count;
static ULONG delay_ms;
static UCHAR drives[VSCTL_DRIVES][RECORD_SIZE];
static UCHAR answers[VSCTL_DRIVES];
static ULONG next_seq;
static VSCTL_LOG request_log;

static void reset_drives(void)
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
static void set_absent(UCHAR on)
{
    if (on && !absent)
        IoDeleteSymbolicLink(&public_dos_name);
    else if (!on && absent)
        IoCreateSymbolicLink(&public_dos_name, &public_device_name);
    absent = on ? 1 : 0;
}

static void reset_all(void)
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
static void change_state(UCHAR new_state)
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
static void log_request(ULONG code, const UCHAR *in, ULONG in_len, ULONG out_len, BOOLEAN ok)
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

static ULONG drive_index(ULONG drive, NTSTATUS *status)
{
    if (drive < 1 || drive > VSCTL_DRIVES) {
        *status = STATUS_INVALID_PARAMETER;
        return 0;
    }
    return drive - 1;
}

/* One public request; `in` holds a private copy of the input, since
 * buffered requests share one buffer for input and output. Called with the
 * lock held. */
static NTSTATUS public_request(ULONG code, const UCHAR *in, ULONG in_len,
                               UCHAR *out, ULONG out_len, ULONG_PTR *information)
{
    NTSTATUS status = STATUS_SUCCESS;
    ULONG drive, i;

    if (code < 1 || code > PUBLIC_REQUESTS)
        return STATUS_INVALID_DEVICE_REQUEST;
    if (in_len != request_in_size[code] || out_len != request_out_size[code])
        return STATUS_INVALID_PARAMETER;
    if ((in_len && !in) || (out_len && !out))
        return STATUS_INVALID_USER_BUFFER;
    if (fail_mask & (1u << code))
        return STATUS_UNSUCCESSFUL;

    switch (code) {
    case REQ_ENABLE:
        change_state(1);
        break;
    case REQ_DISABLE:
        change_state(0);
        break;
    case REQ_QUERY_STATE:
        out[0] = tracking_state;
        *information = 1;
        break;
    case REQ_ICON_ACTIVATED:
        change_state(!tracking_state);
        break;
    case REQ_CHECK_PRESENCE:
        break;
    case REQ_REGISTER_NOTIFY:
        notify_window = in[0] | (ULONG)in[1] << 8 | (ULONG)in[2] << 16 | (ULONG)in[3] << 24;
        notify_message = in[4] | (ULONG)in[5] << 8 | (ULONG)in[6] << 16 | (ULONG)in[7] << 24;
        break;
    case REQ_GET_DRIVE:
        drive = in[0] | (ULONG)in[1] << 8 | (ULONG)in[2] << 16 | (ULONG)in[3] << 24;
        i = drive_index(drive, &status);
        if (status == STATUS_SUCCESS && answers[i] == VSCTL_ANSWER_FAIL)
            status = STATUS_UNSUCCESSFUL;
        if (status == STATUS_SUCCESS) {
            /* A short answer writes and reports only its first bytes. */
            RtlCopyMemory(out, drives[i], answers[i]);
            *information = answers[i];
        }
        break;
    case REQ_SUSPEND:
        if (suspend_count == 0xFFFFFFFFu)
            status = STATUS_UNSUCCESSFUL;
        else
            suspend_count++;
        break;
    case REQ_RESUME:
        if (suspend_count == 0)
            status = STATUS_UNSUCCESSFUL;
        else
            suspend_count--;
        break;
    case REQ_SET_DRIVE:
        i = drive_index(in[0], &status);
        if (status == STATUS_SUCCESS)
            RtlCopyMemory(drives[i], in, RECORD_SIZE);
        break;
    case REQ_DISABLE_DRIVE:
        drive = in[0] | (ULONG)in[1] << 8;
        i = drive_index(drive, &status);
        if (status == STATUS_SUCCESS)
            drives[i][1] = 0;
        break;
    case REQ_TRASHCAN_PURGED:
        purge_count++;
        break;
    }
    return status;
}

static void fill_status(VSCTL_STATUS *s)
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

static BOOLEAN is_control_code(ULONG code)
{
    switch (code) {
    case VSCTL_RESET: case VSCTL_SET_STATE: case VSCTL_SET_DRIVE: case VSCTL_GET_STATUS:
    case VSCTL_READ_LOG: case VSCTL_SET_ABSENT: case VSCTL_SET_FAILMASK: case VSCTL_SET_NOTIFY:
    case VSCTL_SET_DELAY: case VSCTL_SET_ANSWER:
        return TRUE;
    }
    return FALSE;
}

/* One control request (all METHOD_BUFFERED). Called with the lock held. */
static NTSTATUS control_request(ULONG code, const UCHAR *in, ULONG in_len,
                                UCHAR *out, ULONG out_len, ULONG_PTR *information)
{
    ULONG expect_in = 0, need_out = 0, i;
    NTSTATUS status = STATUS_SUCCESS;

    switch (code) {
    case VSCTL_RESET:        expect_in = 0; break;
    case VSCTL_SET_STATE:    expect_in = 1; break;
    case VSCTL_SET_DRIVE:    expect_in = RECORD_SIZE; break;
    case VSCTL_GET_STATUS:   need_out = sizeof(VSCTL_STATUS); break;
    case VSCTL_READ_LOG:     need_out = sizeof(VSCTL_LOG); break;
    case VSCTL_SET_ABSENT:   expect_in = 1; break;
    case VSCTL_SET_FAILMASK: expect_in = 4; break;
    case VSCTL_SET_NOTIFY:   expect_in = 1; break;
    case VSCTL_SET_DELAY:    expect_in = 4; break;
    case VSCTL_SET_ANSWER:   expect_in = 2; break;
    default:                 return STATUS_INVALID_DEVICE_REQUEST;
    }
    if (in_len != expect_in || out_len < need_out)
        return STATUS_INVALID_PARAMETER;
    if ((in_len && !in) || (need_out && !out))
        return STATUS_INVALID_USER_BUFFER;

    switch (code) {
    case VSCTL_RESET:
        reset_all();
        break;
    case VSCTL_SET_STATE:
        change_state(in[0]);
        break;
    case VSCTL_SET_DRIVE:
        i = drive_index(in[0], &status);
        if (status == STATUS_SUCCESS)
            RtlCopyMemory(drives[i], in, RECORD_SIZE);
        break;
    case VSCTL_GET_STATUS:
        fill_status((VSCTL_STATUS *)out);
        *information = sizeof(VSCTL_STATUS);
        break;
    case VSCTL_READ_LOG:
        RtlCopyMemory(out, &request_log, sizeof(VSCTL_LOG));
        *information = sizeof(VSCTL_LOG);
        RtlZeroMemory(&request_log, sizeof(request_log));
        break;
    case VSCTL_SET_ABSENT:
        set_absent(in[0]);
        break;
    case VSCTL_SET_FAILMASK:
        fail_mask = in[0] | (ULONG)in[1] << 8 | (ULONG)in[2] << 16 | (ULONG)in[3] << 24;
        break;
    case VSCTL_SET_NOTIFY:
        notify_on = in[0] ? 1 : 0;
        break;
    case VSCTL_SET_DELAY:
        delay_ms = in[0] | (ULONG)in[1] << 8 | (ULONG)in[2] << 16 | (ULONG)in[3] << 24;
        if (delay_ms > VSCTL_MAX_DELAY_MS)
            status = STATUS_INVALID_PARAMETER;
        if (delay_ms > VSCTL_MAX_DELAY_MS)
            delay_ms = 0;
        break;
    case VSCTL_SET_ANSWER:
        i = drive_index(in[0], &status);
        if (status == STATUS_SUCCESS && in[1] > VSCTL_ANSWER_FULL && in[1] != VSCTL_ANSWER_FAIL)
            status = STATUS_INVALID_PARAMETER;
        if (status == STATUS_SUCCESS)
            answers[i] = in[1];
        break;
    }
    return status;
}

static NTSTATUS complete(IRP *irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = NT_SUCCESS(status) ? information : 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI dispatch_create(DEVICE_OBJECT *device, IRP *irp)
{
    NTSTATUS status = STATUS_SUCCESS;

    if (device == public_device) {
        ExAcquireFastMutex(&lock);
        if (absent)
            status = STATUS_OBJECT_NAME_NOT_FOUND;
        else
            open_count++;
        ExReleaseFastMutex(&lock);
    }
    return complete(irp, status, 0);
}

static NTSTATUS NTAPI dispatch_close(DEVICE_OBJECT *device, IRP *irp)
{
    (void)device;
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatch_ioctl(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *sp = IoGetCurrentIrpStackLocation(irp);
    ULONG code = sp->Parameters.DeviceIoControl.IoControlCode;
    ULONG in_len = sp->Parameters.DeviceIoControl.InputBufferLength;
    ULONG out_len = sp->Parameters.DeviceIoControl.OutputBufferLength;
    const UCHAR *in = NULL;
    UCHAR *out = NULL;
    UCHAR in_copy[RECORD_SIZE];
    ULONG_PTR information = 0;
    NTSTATUS status;

    /* Where the buffers are depends on the code's transfer method. Under
     * Wine even the raw METHOD_NEITHER pointers are winedevice's own copies
     * of the caller's buffers, exactly as long as the sizes say; nothing
     * here reads or writes past those sizes, and no size is trusted before
     * it has been checked against the request. */
    switch (METHOD_FROM_CTL_CODE(code)) {
    case METHOD_BUFFERED:
        in = out = irp->AssociatedIrp.SystemBuffer;
        break;
    case METHOD_IN_DIRECT:
    case METHOD_OUT_DIRECT:
        in = irp->AssociatedIrp.SystemBuffer;
        if (irp->MdlAddress)
            out = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
        break;
    default:
        in = sp->Parameters.DeviceIoControl.Type3InputBuffer;
        out = irp->UserBuffer;
        break;
    }
    if (!in_len) in = NULL;
    if (!out_len) out = NULL;

    /* A slow driver. (Wine's winedevice serves one request at a time, so a
     * control request waits behind a held one all the same.) */
    if (device == public_device && !is_control_code(code)) {
        LARGE_INTEGER wait;
        ExAcquireFastMutex(&lock);
        wait.QuadPart = -10000LL * (LONGLONG)delay_ms;
        ExReleaseFastMutex(&lock);
        if (wait.QuadPart)
            KeDelayExecutionThread(KernelMode, FALSE, &wait);
    }

    ExAcquireFastMutex(&lock);
    if (is_control_code(code)) {
        status = control_request(code, in, in_len, out, out_len, &information);
    } else if (device != public_device) {
        status = STATUS_INVALID_DEVICE_REQUEST;
    } else {
        /* The request's input is at most a record; anything longer fails
         * on its size, so only that much is ever read. */
        const UCHAR *copy = NULL;
        if (in && in_len <= RECORD_SIZE) {
            RtlCopyMemory(in_copy, in, in_len);
            copy = in_copy;
        }
        status = public_request(code, copy, in_len, out, out_len, &information);
        log_request(code, in, in_len, out_len, NT_SUCCESS(status));
    }
    ExReleaseFastMutex(&lock);

    return complete(irp, status, information);
}

static void NTAPI driver_unload(DRIVER_OBJECT *driver)
{
    (void)driver;
    if (!absent)
        IoDeleteSymbolicLink(&public_dos_name);
    IoDeleteSymbolicLink(&control_dos_name);
    if (control_device)
        IoDeleteDevice(control_device);
    if (public_device)
        IoDeleteDevice(public_device);
}

NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registry_path)
{
    NTSTATUS status;

    (void)registry_path;
    RtlInitUnicodeString(&public_device_name, L"\\Device\\VSalvora");
    RtlInitUnicodeString(&public_dos_name, L"\\DosDevices\\VSALVORA");
    RtlInitUnicodeString(&control_device_name, L"\\Device\\VSalvoraCtl");
    RtlInitUnicodeString(&control_dos_name, L"\\DosDevices\\VSALVORACTL");

    ExInitializeFastMutex(&lock);
    reset_drives();
    tracking_state = 1;
    notify_on = 1;

    status = IoCreateDevice(driver, 0, &public_device_name, FILE_DEVICE_UNKNOWN, 0, FALSE,
                            &public_device);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateDevice(driver, 0, &control_device_name, FILE_DEVICE_UNKNOWN, 0, FALSE,
                            &control_device);
    if (!NT_SUCCESS(status))
        goto fail_public;
    status = IoCreateSymbolicLink(&public_dos_name, &public_device_name);
    if (!NT_SUCCESS(status))
        goto fail_control;
    status = IoCreateSymbolicLink(&control_dos_name, &control_device_name);
    if (!NT_SUCCESS(status))
        goto fail_link;

    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_close;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_ioctl;
    driver->DriverUnload = driver_unload;
    public_device->Flags &= ~DO_DEVICE_INITIALIZING;
    control_device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;

fail_link:
    IoDeleteSymbolicLink(&public_dos_name);
fail_control:
    IoDeleteDevice(control_device);
    control_device = NULL;
fail_public:
    IoDeleteDevice(public_device);
    public_device = NULL;
    return status;
}
