#include "platform/win32/AdministratorRights.h"

#include <windows.h>

namespace hs::win32 {

bool HoldsAdministratorRights() {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof sid;
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size)) return false;
  BOOL member = FALSE;
  return ::CheckTokenMembership(nullptr, sid, &member) && member;
}

}  // namespace hs::win32
