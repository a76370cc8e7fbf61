#ifndef KORVIST_SIM_DRIVER_H
#define KORVIST_SIM_DRIVER_H

#include <ntifs.h>

#include "device_core.h"

/* "KvSm", as a kernel debugger shows the pool blocks. */
#define SIM_POOL_TAG 0x6D53764Bu

/* The driver's files call downward only: main (entry, dispatch, PnP) ->
 * requests and stall -> state -> journal and the device core; any of them -> security. */

/* driver_state.c: the one simulated device, its plug, its handles and its
 * configuration, each call under the state's own lock. */
void sim_state_init(void);
/* The Korvist interface, once the bus has started the device; NULL when removed. */
void sim_state_started(UNICODE_STRING *link);
void sim_plug(void);
void sim_unplug(void);
/* Unplugged, default configuration, journal closed. */
void sim_reset(void);
/* A new handle's context, or STATUS_DEVICE_NOT_CONNECTED while unplugged. */
NTSTATUS sim_open_handle(void **context);
/* One request on a handle of the device; a handle of an older plug gets 1167. */
ULONG sim_answer(void *context, ULONG code, UCHAR *buffer, ULONG in_size, ULONG out_size, ULONG *written);
/* Each returns FALSE when the value is refused. */
BOOLEAN sim_configure(ULONG code, const UCHAR *in, ULONG size);
NTSTATUS sim_set_journal(const WCHAR *name, USHORT bytes);

/* driver_journal.c: lines appended under the directory fixed at install. */
void sim_journal_init(const UNICODE_STRING *registry);
NTSTATUS sim_journal_open(const WCHAR *name, USHORT bytes);
void sim_journal_close(void);
BOOLEAN sim_journal_active(void);
void sim_journal_record(ULONG64 *sequence, ULONG connection, ULONG code, const UCHAR *in, ULONG in_size,
                        ULONG out_size, ULONG status);
void sim_journal_free(void);

/* driver_security.c: a DACL for SYSTEM and Administrators only, "D:P(A;;GA;;;SY)(A;;GA;;;BA)",
 * each ACE with ace_flags; the descriptor points into the same block. */
struct sim_security
{
    SECURITY_DESCRIPTOR descriptor;
    ULONG acl[32];
};
NTSTATUS sim_administrators_only(struct sim_security *security, UCHAR ace_flags);

/* driver_requests.c */
NTSTATUS sim_ntstatus(ULONG win32_error);
NTSTATUS sim_device_control(IRP *irp, IO_STACK_LOCATION *stack);
NTSTATUS sim_control_request(IRP *irp, IO_STACK_LOCATION *stack);

/* driver_stall.c: requests held pending, as a device that stops answering holds them. */
void sim_stall_init(void);
/* TRUE when the IRP is now held (pending, cancellable) or was cancelled already. */
BOOLEAN sim_stall_hold(IRP *irp, ULONG code);
/* Stalls a code (0: none), its requests then answered when cancelled or cancelled;
 * the requests held so far move to released, for the caller to answer. */
void sim_stall_set(ULONG code, BOOLEAN answer_on_cancel, LIST_ENTRY *released);

#endif
