#ifndef KORVIST_SIM_DRIVER_H
#define KORVIST_SIM_DRIVER_H

#include <ntddk.h>

#include "../core/device_core.h"

/* The one simulated device this driver serves, and its observers. Every
 * field is guarded by lock, except the device objects, which PnP and
 * DriverEntry set while no request can reach them. */
struct sim_driver
{
    KMUTEX lock;
    struct kv_device device;
    DEVICE_OBJECT *control;
    DEVICE_OBJECT *fdo;
    DEVICE_OBJECT *lower;
    UNICODE_STRING link; /* the Korvist interface of the FDO */
    BOOLEAN started;
    BOOLEAN plugged;
    ULONG generation;  /* one more at every plug: handles of an older one are dead */
    ULONG connections; /* handles opened since the plug */
    ULONG64 sequence;  /* requests journalled since the plug */
    HANDLE journal;
};

extern struct sim_driver sim;

/* "KvSm", as a kernel debugger shows the pool blocks. */
#define SIM_POOL_TAG 0x6D53764Bu

/* driver_main.c: the device appears and disappears, with a fresh power-on state. */
void sim_plug(void);
void sim_unplug(void);

/* driver_journal.c */
NTSTATUS sim_journal_open(const WCHAR *path, USHORT bytes);
void sim_journal_close(void);
void sim_journal_record(ULONG connection, ULONG code, const UCHAR *in, ULONG in_size, ULONG out_size,
                        ULONG status);

/* driver_requests.c */
NTSTATUS sim_device_control(IRP *irp, IO_STACK_LOCATION *stack);
NTSTATUS sim_control_request(IRP *irp, IO_STACK_LOCATION *stack);
NTSTATUS sim_ntstatus(ULONG win32_error);

#endif
