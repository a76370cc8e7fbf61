#include "driver.h"
#include "simcontrol.h"

#include "journal_line.h"

/* Where the journal may be: the service key's parameters, written at install,
 * which only administrators may change. A caller names a file, never a place. */
static UNICODE_STRING parameters;
static HANDLE journal;

void sim_journal_init(const UNICODE_STRING *registry)
{
    static const WCHAR kSuffix[] = L"\\Parameters";
    const USHORT bytes = (USHORT)(registry->Length + sizeof kSuffix - sizeof(WCHAR));
    parameters.Buffer = ExAllocatePoolWithTag(PagedPool, bytes, SIM_POOL_TAG);
    if (!parameters.Buffer)
        return;
    parameters.Length = 0;
    parameters.MaximumLength = bytes;
    RtlAppendUnicodeStringToString(&parameters, registry);
    RtlAppendUnicodeToString(&parameters, kSuffix);
}

void sim_journal_free(void)
{
    sim_journal_close();
    if (parameters.Buffer)
        ExFreePoolWithTag(parameters.Buffer, SIM_POOL_TAG);
    parameters.Buffer = NULL;
}

/* A plain name: no directory, no drive, no stream, not "." or "..". */
static BOOLEAN plain_name(const WCHAR *name, USHORT bytes)
{
    const USHORT count = bytes / sizeof(WCHAR);
    USHORT i;
    BOOLEAN only_dots = TRUE;
    for (i = 0; i < count; ++i) {
        if (name[i] == L'\\' || name[i] == L'/' || name[i] == L':' || name[i] < 0x20)
            return FALSE;
        only_dots = only_dots && name[i] == L'.';
    }
    return count > 0 && count <= 255 && !only_dots;
}

/* The directory's NT path, in a block of the pool the caller frees, with room for a name of bytes more. */
static NTSTATUS journal_path(USHORT bytes, UNICODE_STRING *path)
{
    UNICODE_STRING value_name;
    OBJECT_ATTRIBUTES attributes;
    KEY_VALUE_PARTIAL_INFORMATION *value;
    ULONG size = sizeof *value + 1024, got = 0;
    HANDLE key;
    NTSTATUS status;
    if (!parameters.Buffer)
        return STATUS_INSUFFICIENT_RESOURCES;
    InitializeObjectAttributes(&attributes, &parameters, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    status = ZwOpenKey(&key, KEY_QUERY_VALUE, &attributes);
    if (!NT_SUCCESS(status))
        return status;
    value = ExAllocatePoolWithTag(PagedPool, size, SIM_POOL_TAG);
    if (!value) {
        ZwClose(key);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    RtlInitUnicodeString(&value_name, KVS_JOURNAL_DIRECTORY_VALUE);
    status = ZwQueryValueKey(key, &value_name, KeyValuePartialInformation, value, size, &got);
    ZwClose(key);
    if (NT_SUCCESS(status) && (value->Type != REG_SZ || value->DataLength < 2 * sizeof(WCHAR)))
        status = STATUS_OBJECT_NAME_NOT_FOUND;
    if (NT_SUCCESS(status)) {
        /* The stored text ends with its NUL; the name goes where the NUL was, after a separator. */
        const USHORT directory = (USHORT)(value->DataLength - sizeof(WCHAR));
        path->MaximumLength = (USHORT)(directory + sizeof(WCHAR) + bytes);
        path->Buffer = ExAllocatePoolWithTag(PagedPool, path->MaximumLength, SIM_POOL_TAG);
        if (!path->Buffer) {
            status = STATUS_INSUFFICIENT_RESOURCES;
        } else {
            RtlCopyMemory(path->Buffer, value->Data, directory);
            path->Length = directory;
            RtlAppendUnicodeToString(path, L"\\");
        }
    }
    ExFreePoolWithTag(value, SIM_POOL_TAG);
    return status;
}

NTSTATUS sim_journal_open(const WCHAR *name, USHORT bytes)
{
    UNICODE_STRING path, file;
    OBJECT_ATTRIBUTES attributes;
    IO_STATUS_BLOCK io;
    NTSTATUS status;
    if (!plain_name(name, bytes))
        return STATUS_OBJECT_NAME_INVALID;
    status = journal_path(bytes, &path);
    if (!NT_SUCCESS(status))
        return status;
    file.Buffer = (WCHAR *)name;
    file.Length = file.MaximumLength = bytes;
    RtlAppendUnicodeStringToString(&path, &file);
    InitializeObjectAttributes(&attributes, &path, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    /* Others may read it, or append, while it is open here. */
    status = ZwCreateFile(&journal, FILE_APPEND_DATA | SYNCHRONIZE, &attributes, &io, NULL, FILE_ATTRIBUTE_NORMAL,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_IF,
                          FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, NULL, 0);
    if (!NT_SUCCESS(status))
        journal = NULL;
    ExFreePoolWithTag(path.Buffer, SIM_POOL_TAG);
    return status;
}

BOOLEAN sim_journal_active(void)
{
    return journal != NULL;
}

void sim_journal_close(void)
{
    if (journal)
        ZwClose(journal);
    journal = NULL;
}

/* Written before the request completes, so a caller holding the reply can
 * already read its line. The sequence counts the lines written. */
void sim_journal_record(ULONG64 *sequence, ULONG connection, ULONG code, const UCHAR *in, ULONG in_size,
                        ULONG out_size, ULONG status)
{
    const SIZE_T capacity = kv_journal_capacity(in_size);
    IO_STATUS_BLOCK io;
    LARGE_INTEGER end;
    char *line;
    SIZE_T length;
    if (!journal)
        return;
    line = ExAllocatePoolWithTag(NonPagedPool, capacity, SIM_POOL_TAG);
    if (!line)
        return;
    length = kv_journal_line(line, capacity, ++*sequence, connection, code, in, in_size, out_size, status);
    end.HighPart = -1;
    end.LowPart = FILE_WRITE_TO_END_OF_FILE;
    ZwWriteFile(journal, NULL, NULL, NULL, &io, line, (ULONG)length, &end, NULL);
    ExFreePoolWithTag(line, SIM_POOL_TAG);
}
