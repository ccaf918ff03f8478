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
#include "vsalvora.h"

DEVICE_OBJECT *public_device;
DEVICE_OBJECT *control_device;
UNICODE_STRING public_device_name;
UNICODE_STRING public_dos_name;
UNICODE_STRING control_device_name;
UNICODE_STRING control_dos_name;

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

/* The image's one export: with it marked, the linker no longer exports every
 * global of the driver's files. */
__declspec(dllexport) NTSTATUS NTAPI DriverEntry(DRIVER_OBJECT *driver,
                                                 UNICODE_STRING *registry_path)
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
