#include "driver.h"

#include "../core/journal_line.h"


NTSTATUS sim_journal_open(const WCHAR *path, USHORT bytes)
{
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES attributes;
    IO_STATUS_BLOCK io;
    name.Buffer = (WCHAR *)path;
    name.Length = name.MaximumLength = bytes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    /* Others may read it, or append, while it is open here. */
    return ZwCreateFile(&sim.journal, FILE_APPEND_DATA | SYNCHRONIZE, &attributes, &io, NULL, FILE_ATTRIBUTE_NORMAL,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_IF,
                        FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, NULL, 0);
}

void sim_journal_close(void)
{
    if (sim.journal)
        ZwClose(sim.journal);
    sim.journal = NULL;
}

/* Written before the request completes, so a caller holding the reply can
 * already read its line. */
void sim_journal_record(ULONG connection, ULONG code, const UCHAR *in, ULONG in_size, ULONG out_size,
                        ULONG status)
{
    const SIZE_T capacity = kv_journal_capacity(in_size);
    IO_STATUS_BLOCK io;
    LARGE_INTEGER end;
    char *line;
    SIZE_T length;
    if (!sim.journal)
        return;
    line = ExAllocatePoolWithTag(NonPagedPool, capacity, SIM_POOL_TAG);
    if (!line)
        return;
    length = kv_journal_line(line, capacity, ++sim.sequence, connection, code, in, in_size, out_size, status);
    end.HighPart = -1;
    end.LowPart = FILE_WRITE_TO_END_OF_FILE;
    ZwWriteFile(sim.journal, NULL, NULL, NULL, &io, line, (ULONG)length, &end, NULL);
    ExFreePoolWithTag(line, SIM_POOL_TAG);
}
