#include "driver.h"

/* S-1-5-18 and S-1-5-32-544, as SID structures lay them out. */
static const ULONG kLocalSystem[] = {0x00000101, 0x05000000, 18};
static const ULONG kAdministrators[] = {0x00000201, 0x05000000, 32, 544};

/* Protected, so that nothing a parent passes on widens it. */
NTSTATUS sim_administrators_only(struct sim_security *security, UCHAR ace_flags)
{
    ACL *acl = (ACL *)security->acl;
    NTSTATUS status = RtlCreateSecurityDescriptor(&security->descriptor, SECURITY_DESCRIPTOR_REVISION);
    if (NT_SUCCESS(status))
        status = RtlCreateAcl(acl, sizeof security->acl, ACL_REVISION);
    if (NT_SUCCESS(status))
        status = RtlAddAccessAllowedAceEx(acl, ACL_REVISION, ace_flags, GENERIC_ALL, (PSID)kLocalSystem);
    if (NT_SUCCESS(status))
        status = RtlAddAccessAllowedAceEx(acl, ACL_REVISION, ace_flags, GENERIC_ALL, (PSID)kAdministrators);
    if (NT_SUCCESS(status))
        status = RtlSetDaclSecurityDescriptor(&security->descriptor, TRUE, acl, FALSE);
    if (NT_SUCCESS(status))
        security->descriptor.Control |= SE_DACL_PROTECTED;
    return status;
}
