#include "driver.h"
#include "simcontrol.h"

/* The one simulated device. Every field is guarded by lock; PnP sets link
 * (started while it is there), the control device plug and configuration,
 * requests read them. */
static struct
{
    KMUTEX lock;
    struct kv_device device;
    UNICODE_STRING *link; /* the Korvist interface of the FDO, while the bus has it started */
    BOOLEAN plugged;
    ULONG generation;  /* one more at every plug: handles of an older one are dead */
    ULONG connections; /* handles opened since the plug */
    ULONG64 sequence;  /* requests journalled since the plug */
} sim;

static void lock(void)
{
    KeWaitForSingleObject(&sim.lock, Executive, KernelMode, FALSE, NULL);
}

static void unlock(void)
{
    KeReleaseMutex(&sim.lock, FALSE);
}

static void show_interface(BOOLEAN shown)
{
    if (sim.link)
        IoSetDeviceInterfaceState(sim.link, shown);
}

static void unplug_locked(void)
{
    if (sim.plugged)
        show_interface(FALSE);
    sim.plugged = FALSE;
}

/* A handle remembers the plug it was opened under and its connection number. */
static void *handle_context(ULONG generation, ULONG connection)
{
    return (void *)(ULONG_PTR)((ULONG64)generation << 32 | connection);
}

void sim_state_init(void)
{
    KeInitializeMutex(&sim.lock, 0);
    kv_config_defaults(&sim.device.config);
    kv_state_power_on(&sim.device.state);
}

void sim_state_started(UNICODE_STRING *link)
{
    lock();
    if (!link)
        unplug_locked();
    sim.link = link;
    if (sim.plugged)
        show_interface(TRUE);
    unlock();
}

void sim_plug(void)
{
    lock();
    unplug_locked();
    kv_state_power_on(&sim.device.state);
    ++sim.generation;
    sim.connections = 0;
    sim.sequence = 0;
    sim.plugged = TRUE;
    show_interface(TRUE);
    unlock();
}

void sim_unplug(void)
{
    lock();
    unplug_locked();
    unlock();
}

void sim_reset(void)
{
    lock();
    unplug_locked();
    sim_journal_close();
    kv_config_defaults(&sim.device.config);
    unlock();
}

NTSTATUS sim_open_handle(void **context)
{
    NTSTATUS status = STATUS_DEVICE_NOT_CONNECTED;
    lock();
    if (sim.plugged) {
        *context = handle_context(sim.generation, ++sim.connections);
        status = STATUS_SUCCESS;
    }
    unlock();
    return status;
}

ULONG sim_answer(void *context, ULONG code, UCHAR *buffer, ULONG in_size, ULONG out_size, ULONG *written)
{
    const ULONG64 handle = (ULONG64)(ULONG_PTR)context;
    UCHAR *input = NULL;
    uint32_t replied = 0;
    ULONG error;
    *written = 0;
    lock();
    if (!sim.plugged || (ULONG)(handle >> 32) != sim.generation) {
        unlock();
        return KORVIST_ERROR_DEVICE_NOT_CONNECTED;
    }
    /* The reply overwrites the input in the one buffer: a journal being written needs a copy. */
    if (in_size && sim_journal_active()) {
        input = ExAllocatePoolWithTag(NonPagedPool, in_size, SIM_POOL_TAG);
        if (!input) {
            unlock();
            return KORVIST_ERROR_GEN_FAILURE;
        }
        RtlCopyMemory(input, buffer, in_size);
    }
    error = kv_answer(&sim.device, code, buffer, in_size, buffer, out_size, &replied, NULL);
    sim_journal_record(&sim.sequence, (ULONG)handle, code, input, in_size, out_size, error);
    unlock();
    if (input)
        ExFreePoolWithTag(input, SIM_POOL_TAG);
    *written = replied;
    return error;
}

static BOOLEAN configure(struct kv_config *config, ULONG code, const UCHAR *in, ULONG size)
{
    switch (code) {
    case KVS_SET_PRODUCT_ID:
    case KVS_SET_USB_ERRORS:
        if (size != 4)
            return FALSE;
        *(code == KVS_SET_PRODUCT_ID ? &config->product_id : &config->usb_errors) = kv_get32(in);
        return TRUE;
    case KVS_SET_FIRMWARE:
        return (BOOLEAN)kv_set_firmware(config, in, size);
    case KVS_SET_METERS:
        return size % 4 == 0 && kv_set_meters(config, (const int32_t *)in, size / 4);
    case KVS_SET_MODEL:
        return (BOOLEAN)kv_config_model(config, (const char *)in, size);
    case KVS_FAIL_CODE:
        return size == 8 && kv_fail(config, kv_get32(in), kv_get32(in + 4));
    default:
        return FALSE;
    }
}

BOOLEAN sim_configure(ULONG code, const UCHAR *in, ULONG size)
{
    BOOLEAN done;
    lock();
    done = configure(&sim.device.config, code, in, size);
    unlock();
    return done;
}

NTSTATUS sim_set_journal(const WCHAR *name, USHORT bytes)
{
    NTSTATUS status = STATUS_SUCCESS;
    lock();
    sim_journal_close();
    if (bytes)
        status = sim_journal_open(name, bytes);
    unlock();
    return status;
}
