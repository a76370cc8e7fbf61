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

/* The directory's NT path, in a block of the pool the caller frees. */
static NTSTATUS journal_directory(UNICODE_STRING *path)
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
        /* The stored text ends with its NUL. */
        path->Length = path->MaximumLength = (USHORT)(value->DataLength - sizeof(WCHAR));
        path->Buffer = ExAllocatePoolWithTag(PagedPool, path->Length, SIM_POOL_TAG);
        if (path->Buffer)
            RtlCopyMemory(path->Buffer, value->Data, path->Length);
        else
            status = STATUS_INSUFFICIENT_RESOURCES;
    }
    ExFreePoolWithTag(value, SIM_POOL_TAG);
    return status;
}

/* The kernel's own opens skip every access check: this one is checked against
 * the administrator who asked for the journal. A link planted where the
 * directory or the file should be is refused, never followed. *disposition,
 * when asked for: FILE_CREATED or FILE_OPENED. */
static NTSTATUS open_checked(HANDLE *handle, ACCESS_MASK access, OBJECT_ATTRIBUTES *attributes, ULONG options,
                             ULONG_PTR *disposition)
{
    FILE_ATTRIBUTE_TAG_INFORMATION tag;
    IO_STATUS_BLOCK io;
    /* Wine 8's IoCreateFile is NtCreateFile without the options, and wine follows
     * Unix symbolic links without calling them reparse points: under wine, Unix
     * permissions alone guard the journal. */
    NTSTATUS status = IoCreateFile(handle, access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, attributes, &io, NULL,
                                   FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_IF,
                                   options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, NULL, 0,
                                   CreateFileTypeNone, NULL, IO_NO_PARAMETER_CHECKING | IO_FORCE_ACCESS_CHECK);
    if (!NT_SUCCESS(status))
        return status;
    if (disposition)
        *disposition = io.Information;
    status = ZwQueryInformationFile(*handle, &io, &tag, sizeof tag, FileAttributeTagInformation);
    if (NT_SUCCESS(status) && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        status = STATUS_REPARSE_POINT_NOT_RESOLVED;
    if (!NT_SUCCESS(status))
        ZwClose(*handle);
    return status;
}

/* The directory is created for SYSTEM and Administrators only, its files
 * inheriting that; one left by an earlier install is brought to the same. */
static NTSTATUS open_directory(HANDLE *directory)
{
    struct sim_security security;
    UNICODE_STRING path;
    OBJECT_ATTRIBUTES attributes;
    ULONG_PTR disposition = 0;
    NTSTATUS status = sim_administrators_only(&security, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    if (NT_SUCCESS(status))
        status = journal_directory(&path);
    if (!NT_SUCCESS(status))
        return status;
    InitializeObjectAttributes(&attributes, &path, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE | OBJ_FORCE_ACCESS_CHECK,
                               NULL, &security.descriptor);
    status = open_checked(directory, FILE_TRAVERSE | FILE_ADD_FILE | WRITE_DAC, &attributes, FILE_DIRECTORY_FILE,
                          &disposition);
    ExFreePoolWithTag(path.Buffer, SIM_POOL_TAG);
    if (NT_SUCCESS(status) && disposition != FILE_CREATED) {
        status = ZwSetSecurityObject(*directory, DACL_SECURITY_INFORMATION, &security.descriptor);
        if (!NT_SUCCESS(status))
            ZwClose(*directory);
    }
    return status;
}

NTSTATUS sim_journal_open(const WCHAR *name, USHORT bytes)
{
    UNICODE_STRING file;
    OBJECT_ATTRIBUTES attributes;
    HANDLE directory;
    NTSTATUS status;
    if (!plain_name(name, bytes))
        return STATUS_OBJECT_NAME_INVALID;
    status = open_directory(&directory);
    if (!NT_SUCCESS(status))
        return status;
    file.Buffer = (WCHAR *)name;
    file.Length = file.MaximumLength = bytes;
    /* Beneath the handle, so the directory checked is the one the file is in. */
    InitializeObjectAttributes(&attributes, &file, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE | OBJ_FORCE_ACCESS_CHECK,
                               directory, NULL);
    /* Others may read it, or append, while it is open here. */
    status = open_checked(&journal, FILE_APPEND_DATA, &attributes, FILE_NON_DIRECTORY_FILE, NULL);
    if (!NT_SUCCESS(status))
        journal = NULL;
    ZwClose(directory);
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
