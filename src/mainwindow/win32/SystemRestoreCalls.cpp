#include "mainwindow/win32/SystemRestoreCalls.h"

#include <windows.h>
#include <aclapi.h>
#include <objbase.h>
#include <srrestoreptapi.h>

#include <string>

#include "platform/win32/UniqueHandle.h"

namespace hs::win32 {

namespace {

using SetRestorePointW = BOOL(WINAPI*)(PRESTOREPOINTINFOW, PSTATEMGRSTATUS);

// COM security that lets the System Restore service (running as System,
// LocalService or NetworkService) call back into this process, as the
// System Restore API asks of every caller. COM takes it once per process:
// a later call (or one after COM chose its defaults) changes nothing.
void AllowSystemRestoreCallbacks() {
  const WELL_KNOWN_SID_TYPE callers[] = {WinBuiltinAdministratorsSid, WinLocalSystemSid,
                                         WinLocalServiceSid, WinNetworkServiceSid, WinSelfSid};
  constexpr int kCallers = sizeof callers / sizeof callers[0];
  BYTE sids[kCallers][SECURITY_MAX_SID_SIZE];
  EXPLICIT_ACCESSW access[kCallers]{};
  for (int i = 0; i < kCallers; ++i) {
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (!::CreateWellKnownSid(callers[i], nullptr, sids[i], &size)) return;
    access[i].grfAccessPermissions = COM_RIGHTS_EXECUTE | COM_RIGHTS_EXECUTE_LOCAL;
    access[i].grfAccessMode = SET_ACCESS;
    access[i].grfInheritance = NO_INHERITANCE;
    access[i].Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access[i].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access[i].Trustee.ptstrName = reinterpret_cast<LPWSTR>(sids[i]);
  }
  PACL acl = nullptr;
  if (::SetEntriesInAclW(kCallers, access, nullptr, &acl) != ERROR_SUCCESS) return;
  const UniqueLocalMemory aclMemory(acl);
  SECURITY_DESCRIPTOR descriptor{};
  // COM takes only an absolute descriptor with an owner and a group.
  if (!::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !::SetSecurityDescriptorOwner(&descriptor, sids[0], FALSE) ||
      !::SetSecurityDescriptorGroup(&descriptor, sids[0], FALSE) ||
      !::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE))
    return;
  ::CoInitializeSecurity(&descriptor, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                         RPC_C_IMP_LEVEL_IDENTIFY, nullptr,
                         EOAC_DISABLE_AAA | EOAC_NO_CUSTOM_MARSHAL, nullptr);
}

// One SRSetRestorePointW call with COM set up on this thread for it.
RestorePointCall CallSystemRestore(RESTOREPOINTINFOW& info) {
  RestorePointCall call;
  const ComScope com(COINIT_MULTITHREADED);
  AllowSystemRestoreCallbacks();
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return call;
  // By full path: the program runs elevated, and a planted copy must not load.
  const std::wstring path = std::wstring(system, length) + L"\\srclient.dll";
  const UniqueHmodule library(::LoadLibraryW(path.c_str()));
  if (!library) return call;
  call.libraryFound = true;
  const FARPROC proc = ::GetProcAddress(library.get(), "SRSetRestorePointW");
  if (!proc) return call;
  call.functionFound = true;
  // Through a plain function pointer: FARPROC's own type does not match.
  const auto setRestorePoint =
      reinterpret_cast<SetRestorePointW>(reinterpret_cast<void (*)()>(proc));
  STATEMGRSTATUS status{};
  call.returned = setRestorePoint(&info, &status) != FALSE;
  call.status = status.nStatus;
  call.sequenceNumber = status.llSequenceNumber;
  return call;
}

}  // namespace

RestorePointCall RequestRestorePoint() {
  RESTOREPOINTINFOW info{};
  info.dwEventType = BEGIN_SYSTEM_CHANGE;
  info.dwRestorePtType = APPLICATION_INSTALL;
  info.llSequenceNumber = 0;
  ::lstrcpynW(info.szDescription, L"Made by Corvane Hivesweep", MAX_DESC_W);
  return CallSystemRestore(info);
}

void CloseRestorePoint(std::int64_t sequenceNumber, RestorePointClose how) {
  RESTOREPOINTINFOW info{};
  info.dwEventType = END_SYSTEM_CHANGE;
  info.dwRestorePtType = how == RestorePointClose::End ? APPLICATION_INSTALL : CANCELLED_OPERATION;
  info.llSequenceNumber = sequenceNumber;
  CallSystemRestore(info);
}

}  // namespace hs::win32
