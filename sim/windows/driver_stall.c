#include "driver.h"

/* Requests of one code held pending, as a device that has stopped answering
 * holds them: the caller sees nothing until it cancels the request or the
 * stall ends. Guarded by a spin lock, since cancel routines run at dispatch level. */
static struct
{
    KSPIN_LOCK lock;
    ULONG code;
    LIST_ENTRY held;
} stall;

void sim_stall_init(void)
{
    KeInitializeSpinLock(&stall.lock);
    InitializeListHead(&stall.held);
}

static void complete_cancelled(IRP *irp)
{
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
    complete_cancelled(irp);
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
    IoSetCancelRoutine(irp, cancel_held);
    /* Cancelled before the routine was in place: nobody else will complete it. */
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
        KeReleaseSpinLock(&stall.lock, irql);
        complete_cancelled(irp);
        return TRUE;
    }
    InsertTailList(&stall.held, &irp->Tail.Overlay.ListEntry);
    KeReleaseSpinLock(&stall.lock, irql);
    return TRUE;
}

void sim_stall_set(ULONG code, LIST_ENTRY *released)
{
    KIRQL irql;
    InitializeListHead(released);
    KeAcquireSpinLock(&stall.lock, &irql);
    stall.code = code;
    while (!IsListEmpty(&stall.held)) {
        LIST_ENTRY *entry = RemoveHeadList(&stall.held);
        IRP *irp = CONTAINING_RECORD(entry, IRP, Tail.Overlay.ListEntry);
        /* A request whose cancel routine has started belongs to that routine. */
        if (IoSetCancelRoutine(irp, NULL))
            InsertTailList(released, entry);
        else
            InitializeListHead(entry);
    }
    KeReleaseSpinLock(&stall.lock, irql);
}
