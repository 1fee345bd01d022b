// CUtil: the administrator test.
#include <windows.h>

#include "util/Util.h"

bool CUtil::IsAdmin(int skipOnVista) const
{
    // From Vista on the manifest asks for elevation, so the check can be skipped there.
    if (skipOnVista == 1 && GetOSMajorVersion() >= 6) {
        return true;
    }
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                    0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    const BOOL checked = ::CheckTokenMembership(nullptr, administrators, &member);
    ::FreeSid(administrators);
    return checked && member;
}
