#include "driver.h"
#include "simcontrol.h"

/* The Win32 errors the device answers with, and the NTSTATUS that user mode
 * turns back into each. */
static const struct
{
    ULONG win32;
    NTSTATUS status;
} kStatuses[] = {
    {KORVIST_ERROR_SUCCESS, STATUS_SUCCESS},
    {KORVIST_ERROR_INVALID_FUNCTION, STATUS_INVALID_DEVICE_REQUEST},
    {KORVIST_ERROR_ACCESS_DENIED, STATUS_ACCESS_DENIED},
    {KORVIST_ERROR_NOT_READY, STATUS_DEVICE_NOT_READY},
    {KORVIST_ERROR_GEN_FAILURE, STATUS_UNSUCCESSFUL},
    {KORVIST_ERROR_INVALID_PARAMETER, STATUS_INVALID_PARAMETER},
    {KORVIST_ERROR_INSUFFICIENT_BUFFER, STATUS_BUFFER_TOO_SMALL},
    {KORVIST_ERROR_BUSY, STATUS_DEVICE_BUSY},
    {KORVIST_ERROR_IO_DEVICE, STATUS_IO_DEVICE_ERROR},
    {KORVIST_ERROR_DEVICE_NOT_CONNECTED, STATUS_DEVICE_NOT_CONNECTED},
};

/* STATUS_SUCCESS for 0 and for an error with no status of its own here. */
NTSTATUS sim_ntstatus(ULONG win32_error)
{
    ULONG i;
    for (i = 0; i < sizeof kStatuses / sizeof kStatuses[0]; ++i) {
        if (kStatuses[i].win32 == win32_error)
            return kStatuses[i].status;
    }
    return STATUS_SUCCESS;
}

static NTSTATUS finish(IRP *irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    return status;
}

NTSTATUS sim_device_control(IRP *irp, IO_STACK_LOCATION *stack)
{
    ULONG written = 0;
    const ULONG error = sim_answer(stack->FileObject->FsContext, stack->Parameters.DeviceIoControl.IoControlCode,
                                   irp->AssociatedIrp.SystemBuffer,
                                   stack->Parameters.DeviceIoControl.InputBufferLength,
                                   stack->Parameters.DeviceIoControl.OutputBufferLength, &written);
    return finish(irp, sim_ntstatus(error), written);
}

/* 0 clears a failure; any other error needs a status of its own. */
static BOOLEAN answerable(const UCHAR *in, ULONG size)
{
    const ULONG error = size == 8 ? kv_get32(in + 4) : 0;
    return error == 0 || sim_ntstatus(error) != STATUS_SUCCESS;
}

/* A stall's end answers what it held, as the device would have. */
static void stall(ULONG code, BOOLEAN answer_on_cancel)
{
    LIST_ENTRY released;
    sim_stall_set(code, answer_on_cancel, &released);
    while (!IsListEmpty(&released)) {
        IRP *irp = CONTAINING_RECORD(RemoveHeadList(&released), IRP, Tail.Overlay.ListEntry);
        sim_device_control(irp, IoGetCurrentIrpStackLocation(irp));
        IoCompleteRequest(irp, IO_NO_INCREMENT);
    }
}

static NTSTATUS control(ULONG code, const UCHAR *in, ULONG size)
{
    switch (code) {
    case KVS_PLUG:
    case KVS_UNPLUG:
    case KVS_RESET:
        if (size != 0)
            return STATUS_INVALID_PARAMETER;
        if (code == KVS_PLUG) {
            sim_plug();
        } else if (code == KVS_UNPLUG) {
            sim_unplug();
        } else {
            sim_reset();
            stall(0, FALSE);
        }
        return STATUS_SUCCESS;
    case KVS_STALL:
        if ((size != 4 && size != 8) || (size == 8 && kv_get32(in + 4) > 1))
            return STATUS_INVALID_PARAMETER;
        stall(kv_get32(in), size == 8 && kv_get32(in + 4) == 1);
        return STATUS_SUCCESS;
    case KVS_SET_JOURNAL:
        if (size % 2 != 0 || size > 0xFFFE)
            return STATUS_INVALID_PARAMETER;
        return sim_set_journal((const WCHAR *)in, (USHORT)size);
    case KVS_FAIL_CODE:
        if (!answerable(in, size))
            return STATUS_INVALID_PARAMETER;
        /* fall through */
    default:
        return sim_configure(code, in, size) ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
    }
}

NTSTATUS sim_control_request(IRP *irp, IO_STACK_LOCATION *stack)
{
    return finish(irp,
                  control(stack->Parameters.DeviceIoControl.IoControlCode, irp->AssociatedIrp.SystemBuffer,
                          stack->Parameters.DeviceIoControl.InputBufferLength),
                  0);
}
