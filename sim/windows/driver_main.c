#include "driver.h"
#include "simcontrol.h"

struct sim_driver sim;

static const GUID kKorvistInterface = {0x6EB9AB90, 0xB331, 0x4508, {0xB9, 0x03, 0x48, 0xAA, 0xA2, 0x6E, 0xA4, 0xF1}};

/* A handle remembers the plug it was opened under and its connection number. */
static void *handle_context(ULONG generation, ULONG connection)
{
    return (void *)(ULONG_PTR)((ULONG64)generation << 32 | connection);
}

static NTSTATUS complete(IRP *irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

void sim_plug(void)
{
    sim_unplug();
    kv_state_power_on(&sim.device.state);
    ++sim.generation;
    sim.connections = 0;
    sim.sequence = 0;
    sim.plugged = TRUE;
    if (sim.started)
        IoSetDeviceInterfaceState(&sim.link, TRUE);
}

void sim_unplug(void)
{
    if (sim.plugged && sim.started)
        IoSetDeviceInterfaceState(&sim.link, FALSE);
    sim.plugged = FALSE;
}

static NTSTATUS WINAPI dispatch_create(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = STATUS_SUCCESS;
    if (device == sim.fdo) {
        KeWaitForSingleObject(&sim.lock, Executive, KernelMode, FALSE, NULL);
        if (sim.plugged)
            stack->FileObject->FsContext = handle_context(sim.generation, ++sim.connections);
        else
            status = STATUS_DEVICE_NOT_CONNECTED;
        KeReleaseMutex(&sim.lock, FALSE);
    }
    return complete(irp, status, 0);
}

static NTSTATUS WINAPI dispatch_close(DEVICE_OBJECT *device, IRP *irp)
{
    (void)device;
    return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS WINAPI dispatch_io_control(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status;
    if (device != sim.fdo && device != sim.control)
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    KeWaitForSingleObject(&sim.lock, Executive, KernelMode, FALSE, NULL);
    status = device == sim.fdo ? sim_device_control(irp, stack) : sim_control_request(irp, stack);
    KeReleaseMutex(&sim.lock, FALSE);
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS WINAPI start_completed(DEVICE_OBJECT *device, IRP *irp, void *event)
{
    (void)device;
    (void)irp;
    KeSetEvent((KEVENT *)event, IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

/* The bus starts the device first; only then may its interface be enabled. */
static NTSTATUS start_device(IRP *irp)
{
    KEVENT event;
    NTSTATUS status;
    KeInitializeEvent(&event, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, start_completed, &event, TRUE, TRUE, TRUE);
    if (IoCallDriver(sim.lower, irp) == STATUS_PENDING)
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, NULL);
    status = irp->IoStatus.Status;
    if (NT_SUCCESS(status)) {
        KeWaitForSingleObject(&sim.lock, Executive, KernelMode, FALSE, NULL);
        sim.started = TRUE;
        if (sim.plugged)
            IoSetDeviceInterfaceState(&sim.link, TRUE);
        KeReleaseMutex(&sim.lock, FALSE);
    }
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS remove_device(IRP *irp)
{
    NTSTATUS status;
    KeWaitForSingleObject(&sim.lock, Executive, KernelMode, FALSE, NULL);
    sim_unplug();
    sim.started = FALSE;
    KeReleaseMutex(&sim.lock, FALSE);
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoSkipCurrentIrpStackLocation(irp);
    status = IoCallDriver(sim.lower, irp);
    IoDetachDevice(sim.lower);
    IoDeleteDevice(sim.fdo);
    RtlFreeUnicodeString(&sim.link);
    sim.fdo = sim.lower = NULL;
    return status;
}

static NTSTATUS WINAPI dispatch_pnp(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    if (device != sim.fdo)
        return complete(irp, STATUS_NOT_SUPPORTED, 0);
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        return start_device(irp);
    case IRP_MN_REMOVE_DEVICE:
        return remove_device(irp);
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_STOP_DEVICE:
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(sim.lower, irp);
}

static NTSTATUS WINAPI add_device(DRIVER_OBJECT *driver, DEVICE_OBJECT *pdo)
{
    DEVICE_OBJECT *fdo;
    NTSTATUS status;
    if (sim.fdo)
        return STATUS_DEVICE_ALREADY_ATTACHED;
    status = IoCreateDevice(driver, 0, NULL, FILE_DEVICE_UNKNOWN, FILE_DEVICE_SECURE_OPEN, FALSE, &fdo);
    if (!NT_SUCCESS(status))
        return status;
    /* Only a device with a PDO beneath it can carry an interface. */
    status = IoRegisterDeviceInterface(pdo, &kKorvistInterface, NULL, &sim.link);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(fdo);
        return status;
    }
    sim.lower = IoAttachDeviceToDeviceStack(fdo, pdo);
    fdo->Flags |= DO_BUFFERED_IO;
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    sim.fdo = fdo;
    return STATUS_SUCCESS;
}

static void WINAPI unload(DRIVER_OBJECT *driver)
{
    UNICODE_STRING link;
    (void)driver;
    RtlInitUnicodeString(&link, KVS_CONTROL_LINK_NAME);
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(sim.control);
    sim_journal_close();
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registry)
{
    UNICODE_STRING name, link;
    NTSTATUS status;
    (void)registry;
    KeInitializeMutex(&sim.lock, 0);
    kv_config_defaults(&sim.device.config);
    kv_state_power_on(&sim.device.state);
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_close;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_io_control;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->DriverExtension->AddDevice = add_device;
    driver->DriverUnload = unload;

    RtlInitUnicodeString(&name, KVS_CONTROL_DEVICE_NAME);
    RtlInitUnicodeString(&link, KVS_CONTROL_LINK_NAME);
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, FILE_DEVICE_SECURE_OPEN, FALSE, &sim.control);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status))
        IoDeleteDevice(sim.control);
    return status;
}
