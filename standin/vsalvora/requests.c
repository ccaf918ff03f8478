/* The answers to the twelve public requests and to the control requests. */
#include "vsalvora.h"

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

/* One public request; `in` holds a private copy of the input, since
 * buffered requests share one buffer for input and output. Called with the
 * lock held. */
NTSTATUS public_request(ULONG code, const UCHAR *in, ULONG in_len,
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

BOOLEAN is_control_code(ULONG code)
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
NTSTATUS control_request(ULONG code, const UCHAR *in, ULONG in_len,
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
