#include "driver.h"

/* Requests of one code held pending, as a device that has stopped answering
 * holds them: the caller sees nothing until it cancels the request or the
 * stall ends. Guarded by a spin lock, since cancel routines run at dispatch level. */
static struct
{
    KSPIN_LOCK lock;
    ULONG code;
    BOOLEAN answer_on_cancel;
    LIST_ENTRY held;
} stall;

/* A held request's work item when a cancel answers it, NULL when a cancel cancels it. */
#define ANSWERER(irp) ((irp)->Tail.Overlay.DriverContext[0])

void sim_stall_init(void)
{
    KeInitializeSpinLock(&stall.lock);
    InitializeListHead(&stall.held);
}

/* The answer takes the device's mutex and may write the journal: it cannot be
 * given at the dispatch level a cancel routine may run at. */
static void WINAPI answer_cancelled(DEVICE_OBJECT *device, void *context)
{
    IRP *irp = context;
    (void)device;
    IoFreeWorkItem(ANSWERER(irp));
    sim_device_control(irp, IoGetCurrentIrpStackLocation(irp));
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

static void end_cancelled(IRP *irp)
{
    if (ANSWERER(irp)) {
        IoQueueWorkItem(ANSWERER(irp), answer_cancelled, DelayedWorkQueue, irp);
        return;
    }
    irp->IoStatus.Status = STATUS_CANCELLED;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

static void WINAPI cancel_held(DEVICE_OBJECT *device, IRP *irp)
{
    KIRQL irql;
    (void)device;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&stall.lock, &irql);
    RemoveEntryList(&irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&stall.lock, irql);
    end_cancelled(irp);
}

BOOLEAN sim_stall_hold(IRP *irp, ULONG code)
{
    KIRQL irql;
    KeAcquireSpinLock(&stall.lock, &irql);
    if (stall.code == 0 || code != stall.code) {
        KeReleaseSpinLock(&stall.lock, irql);
        return FALSE;
    }
    /* Marked before anything can complete it: the dispatch routine answers STATUS_PENDING either way. */
    IoMarkIrpPending(irp);
    /* Without a work item, the cancel can only cancel. */
    ANSWERER(irp) = stall.answer_on_cancel ? IoAllocateWorkItem(IoGetCurrentIrpStackLocation(irp)->DeviceObject)
                                           : NULL;
    IoSetCancelRoutine(irp, cancel_held);
    /* Cancelled before the routine was in place: nobody else will end it. */
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
        KeReleaseSpinLock(&stall.lock, irql);
        end_cancelled(irp);
        return TRUE;
    }
    InsertTailList(&stall.held, &irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&stall.lock, irql);
    return TRUE;
}

void sim_stall_set(ULONG code, BOOLEAN answer_on_cancel, LIST_ENTRY *released)
{
    KIRQL irql;
    InitializeListHead(released);
    KeAcquireSpinLock(&stall.lock, &irql);
    stall.code = code;
    stall.answer_on_cancel = answer_on_cancel;
    while (!IsListEmpty(&stall.held)) {
        LIST_ENTRY *entry = RemoveHeadList(&stall.held);
        IRP *irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        /* A request whose cancel routine has started belongs to that routine. */
        if (IoSetCancelRoutine(irp, NULL)) {
            if (ANSWERER(irp))
                IoFreeWorkItem(ANSWERER(irp));
            InsertTailList(released, entry);
        } else {
            InitializeListHead(entry);
        }
    }
    KeReleaseSpinLock(&stall.lock, irql);
}
