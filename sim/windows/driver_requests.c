#include "driver.h"
#include "simcontrol.h"


/* The Win32 errors the device answers with, and the NTSTATUS that user mode
 * turns back into each. */
static const struct
{
    ULONG win32;
    NTSTATUS status;
} kStatuses[] = {
    {0, STATUS_SUCCESS},
    {1, STATUS_INVALID_DEVICE_REQUEST},
    {5, STATUS_ACCESS_DENIED},
    {21, STATUS_DEVICE_NOT_READY},
    {31, STATUS_UNSUCCESSFUL},
    {87, STATUS_INVALID_PARAMETER},
    {122, STATUS_BUFFER_TOO_SMALL},
    {170, STATUS_DEVICE_BUSY},
    {1117, STATUS_IO_DEVICE_ERROR},
    {1167, STATUS_DEVICE_NOT_CONNECTED},
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
    const ULONG64 context = (ULONG64)(ULONG_PTR)stack->FileObject->FsContext;
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG in_size = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG out_size = stack->Parameters.DeviceIoControl.OutputBufferLength;
    UCHAR *buffer = irp->AssociatedIrp.SystemBuffer;
    UCHAR *input = NULL;
    uint32_t written = 0;
    ULONG error;
    if (!sim.plugged || (ULONG)(context >> 32) != sim.generation)
        return finish(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    /* The reply overwrites the input in the one buffer: the journal needs a copy. */
    if (sim.journal && in_size) {
        input = ExAllocatePoolWithTag(NonPagedPool, in_size, SIM_POOL_TAG);
        if (!input)
            return finish(irp, STATUS_INSUFFICIENT_RESOURCES, 0);
        RtlCopyMemory(input, buffer, in_size);
    }
    error = kv_answer(&sim.device, code, buffer, in_size, buffer, out_size, &written);
    sim_journal_record((ULONG)context, code, input, in_size, out_size, error);
    if (input)
        ExFreePoolWithTag(input, SIM_POOL_TAG);
    return finish(irp, sim_ntstatus(error), written);
}

static uint32_t word(const UCHAR *buffer)
{
    return (uint32_t)buffer[0] | (uint32_t)buffer[1] << 8 | (uint32_t)buffer[2] << 16 | (uint32_t)buffer[3] << 24;
}

/* 0 clears a failure; any other error needs a status of its own. */
static BOOLEAN answerable(ULONG win32_error)
{
    return win32_error == 0 || sim_ntstatus(win32_error) != STATUS_SUCCESS;
}

static BOOLEAN control(ULONG code, const UCHAR *in, ULONG size)
{
    struct kv_config *config = &sim.device.config;
    switch (code) {
    case KVS_PLUG:
    case KVS_UNPLUG:
    case KVS_RESET:
        if (size != 0)
            return FALSE;
        if (code == KVS_PLUG) {
            sim_plug();
        } else {
            sim_unplug();
        }
        if (code == KVS_RESET) {
            sim_journal_close();
            kv_config_defaults(config);
        }
        return TRUE;
    case KVS_SET_PRODUCT_ID:
    case KVS_SET_USB_ERRORS:
        if (size != 4)
            return FALSE;
        *(code == KVS_SET_PRODUCT_ID ? &config->product_id : &config->usb_errors) = word(in);
        return TRUE;
    case KVS_SET_FIRMWARE:
        return (BOOLEAN)kv_set_firmware(config, in, size);
    case KVS_SET_METERS:
        return size % 4 == 0 && kv_set_meters(config, (const int32_t *)in, size / 4);
    case KVS_FAIL_CODE:
        return size == 8 && answerable(word(in + 4)) && kv_fail(config, word(in), word(in + 4));
    case KVS_SET_JOURNAL:
        if (size % 2 != 0 || size > 0xFFFE)
            return FALSE;
        sim_journal_close();
        return size == 0 || NT_SUCCESS(sim_journal_open((const WCHAR *)in, (USHORT)size));
    default:
        return FALSE;
    }
}

NTSTATUS sim_control_request(IRP *irp, IO_STACK_LOCATION *stack)
{
    const BOOLEAN done = control(stack->Parameters.DeviceIoControl.IoControlCode, irp->AssociatedIrp.SystemBuffer,
                                 stack->Parameters.DeviceIoControl.InputBufferLength);
    return finish(irp, done ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER, 0);
}
