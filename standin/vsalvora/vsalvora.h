/* The stand-in driver's own header, shared by its three files: the devices
 * and their dispatch routines (vsalvora.c), the state (state.c) and the
 * answers to the public and the control requests (requests.c). */
#ifndef VSALVORA_H
#define VSALVORA_H

#include <ntddk.h>

#include "vsalvora_ctl.h"

#define PUBLIC_REQUESTS 12
#define RECORD_SIZE     8

/* The devices and their names (vsalvora.c). */
extern DEVICE_OBJECT *public_device;
extern DEVICE_OBJECT *control_device;
extern UNICODE_STRING public_device_name;
extern UNICODE_STRING public_dos_name;
extern UNICODE_STRING control_device_name;
extern UNICODE_STRING control_dos_name;

/* The state (state.c), all of it guarded by `lock`. */
extern FAST_MUTEX lock;
extern UCHAR tracking_state;
extern UCHAR absent;
extern UCHAR notify_on;
extern ULONG open_count;
extern ULONG suspend_count;
extern ULONG purge_count;
extern ULONG notify_window;
extern ULONG notify_message;
extern ULONG fail_mask;
extern ULONG post_count;
extern ULONG delay_ms;
extern UCHAR drives[VSCTL_DRIVES][RECORD_SIZE];
extern UCHAR answers[VSCTL_DRIVES];
extern ULONG next_seq;
extern VSCTL_LOG request_log;

/* state.c */
void reset_drives(void);
void set_absent(UCHAR on);
void reset_all(void);
void change_state(UCHAR new_state);
void log_request(ULONG code, const UCHAR *in, ULONG in_len, ULONG out_len, BOOLEAN ok);
ULONG drive_index(ULONG drive, NTSTATUS *status);
void fill_status(VSCTL_STATUS *s);

/* requests.c */
NTSTATUS public_request(ULONG code, const UCHAR *in, ULONG in_len,
                        UCHAR *out, ULONG out_len, ULONG_PTR *information);
BOOLEAN is_control_code(ULONG code);
NTSTATUS control_request(ULONG code, const UCHAR *in, ULONG in_len,
                         UCHAR *out, ULONG out_len, ULONG_PTR *information);

#endif
