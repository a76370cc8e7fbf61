#include "driver.h"
#include "simcontrol.h"


static const GUID kKorvistInterface = KORVIST_INTERFACE_CLASS_INITIALIZER;

/* The device objects, set by DriverEntry and PnP while no request can reach them. */
static DEVICE_OBJECT *control_device;
static DEVICE_OBJECT *fdo;
static DEVICE_OBJECT *lower;
static UNICODE_STRING link; /* the Korvist interface of the FDO */

static NTSTATUS complete(IRP *irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

/* The control device changes what every user of the device gets: only the
 * system and administrators may open it, as IoCreateDeviceSecure's SDDL would say. */
static NTSTATUS restrict_to_administrators(DEVICE_OBJECT *device)
{
    struct sim_security security;
    HANDLE handle;
    NTSTATUS status = sim_administrators_only(&security, 0);
    if (NT_SUCCESS(status))
        status = ObOpenObjectByPointer(device, OBJ_KERNEL_HANDLE, NULL, WRITE_DAC, NULL, KernelMode, &handle);
    if (NT_SUCCESS(status)) {
        status = ZwSetSecurityObject(handle, DACL_SECURITY_INFORMATION, &security.descriptor);
        ZwClose(handle);
    }
    return status;
}

static NTSTATUS WINAPI dispatch_create(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = STATUS_SUCCESS;
    if (device == fdo)
        status = sim_open_handle(&stack->FileObject->FsContext);
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
    if (device == fdo) {
        if (sim_stall_hold(irp, stack->Parameters.DeviceIoControl.IoControlCode))
            return STATUS_PENDING;
        status = sim_device_control(irp, stack);
    } else if (device == control_device) {
        status = sim_control_request(irp, stack);
    } else {
        return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
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
    if (IoCallDriver(lower, irp) == STATUS_PENDING)
        KeWaitForSingleObject(&event, Executive, KernelMode, FALSE, NULL);
    status = irp->IoStatus.Status;
    if (NT_SUCCESS(status))
        sim_state_started(&link);
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS remove_device(IRP *irp)
{
    NTSTATUS status;
    sim_state_started(NULL);
    irp->IoStatus.Status = STATUS_SUCCESS;
    IoSkipCurrentIrpStackLocation(irp);
    status = IoCallDriver(lower, irp);
    IoDetachDevice(lower);
    IoDeleteDevice(fdo);
    RtlFreeUnicodeString(&link);
    fdo = lower = NULL;
    return status;
}

static NTSTATUS WINAPI dispatch_pnp(DEVICE_OBJECT *device, IRP *irp)
{
    IO_STACK_LOCATION *stack = IoGetCurrentIrpStackLocation(irp);
    if (device != fdo)
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
    return IoCallDriver(lower, irp);
}

static NTSTATUS WINAPI add_device(DRIVER_OBJECT *driver, DEVICE_OBJECT *pdo)
{
    DEVICE_OBJECT *created;
    NTSTATUS status;
    if (fdo)
        return STATUS_DEVICE_ALREADY_ATTACHED;
    status = IoCreateDevice(driver, 0, NULL, FILE_DEVICE_UNKNOWN, FILE_DEVICE_SECURE_OPEN, FALSE, &created);
    if (!NT_SUCCESS(status))
        return status;
    /* Only a device with a PDO beneath it can carry an interface. */
    status = IoRegisterDeviceInterface(pdo, &kKorvistInterface, NULL, &link);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(created);
        return status;
    }
    lower = IoAttachDeviceToDeviceStack(created, pdo);
    created->Flags |= DO_BUFFERED_IO;
    created->Flags &= ~DO_DEVICE_INITIALIZING;
    fdo = created;
    return STATUS_SUCCESS;
}

static void WINAPI unload(DRIVER_OBJECT *driver)
{
    UNICODE_STRING name;
    (void)driver;
    RtlInitUnicodeString(&name, KVS_CONTROL_LINK_NAME);
    IoDeleteSymbolicLink(&name);
    IoDeleteDevice(control_device);
    sim_journal_free();
}

NTSTATUS WINAPI DriverEntry(DRIVER_OBJECT *driver, UNICODE_STRING *registry)
{
    UNICODE_STRING name, link_name;
    NTSTATUS status;
    sim_state_init();
    sim_stall_init();
    sim_journal_init(registry);
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_create;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_close;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_io_control;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->DriverExtension->AddDevice = add_device;
    driver->DriverUnload = unload;

    RtlInitUnicodeString(&name, KVS_CONTROL_DEVICE_NAME);
    RtlInitUnicodeString(&link_name, KVS_CONTROL_LINK_NAME);
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, FILE_DEVICE_SECURE_OPEN, FALSE, &control_device);
    if (!NT_SUCCESS(status)) {
        sim_journal_free();
        return status;
    }
    status = restrict_to_administrators(control_device);
    if (NT_SUCCESS(status))
        status = IoCreateSymbolicLink(&link_name, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(control_device);
        sim_journal_free();
    }
    return status;
}
