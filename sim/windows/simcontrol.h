#ifndef KORVIST_SIMCONTROL_H
#define KORVIST_SIMCONTROL_H

/* The simulated driver's private control device, always present while the
 * driver runs, whatever the state of the simulated USB device. Only
 * administrators may open it. Its codes are buffered, any access, in the
 * vendor range of device types. */

#define KVS_CONTROL_DEVICE_NAME L"\\Device\\KorvistSimControl"
#define KVS_CONTROL_LINK_NAME L"\\DosDevices\\KorvistSimControl"
#define KVS_CONTROL_PATH "\\\\.\\KorvistSimControl"
#define KVS_HARDWARE_ID L"ROOT\\KORVISTSIM"
#define KVS_INSTANCE_ID L"ROOT\\KORVISTSIM\\0000"
/* Under the driver's service key, written at install: the one directory the journal may be in. */
#define KVS_PARAMETERS_KEY L"SYSTEM\\CurrentControlSet\\Services\\korvist-sim\\Parameters"
#define KVS_JOURNAL_DIRECTORY_VALUE L"JournalDirectory"

#define KVS_CONTROL_CODE(function) ((0x8000u << 16) | ((function) << 2))

/* The device appears: a fresh power-on state, connection and request numbers from 1. */
#define KVS_PLUG KVS_CONTROL_CODE(0x900)
/* The device disappears: its interface goes, held handles fail with 1167. */
#define KVS_UNPLUG KVS_CONTROL_CODE(0x901)
/* Unplugged, default configuration (an RK1), journal closed. */
#define KVS_RESET KVS_CONTROL_CODE(0x902)
/* in: uint32 */
#define KVS_SET_PRODUCT_ID KVS_CONTROL_CODE(0x903)
/* in: up to 32 bytes, the firmware query's reply (zero-padded) */
#define KVS_SET_FIRMWARE KVS_CONTROL_CODE(0x904)
/* in: up to 192 int32 base levels; the rest are 0 */
#define KVS_SET_METERS KVS_CONTROL_CODE(0x905)
/* in: uint32 */
#define KVS_SET_USB_ERRORS KVS_CONTROL_CODE(0x906)
/* in: uint32 code, uint32 Win32 error (0: answer again) */
#define KVS_FAIL_CODE KVS_CONTROL_CODE(0x907)
/* in: UTF-16 file name without NUL, created in the journal directory; empty closes the journal */
#define KVS_SET_JOURNAL KVS_CONTROL_CODE(0x908)
/* in: "rk1", "rk2" or "rs": its product id and gain range */
#define KVS_SET_MODEL KVS_CONTROL_CODE(0x909)
/* in: uint32 code whose requests stay pending until cancelled or released; 0 releases them, answered.
 * An optional uint32 1 after it: a cancel answers them too, as a device that replies just then. */
#define KVS_STALL KVS_CONTROL_CODE(0x90A)

#endif
