#pragma once
// Whether this process acts with the Administrators group, the one the
// machine's registry keys grant write and delete rights to.
namespace hs::win32 {

// CheckTokenMembership of the Administrators group in the process's own
// (or the thread's impersonation) token. Under User Account Control an
// administrator's prompt that was not elevated holds the group for denial
// only, so this answers no there, yes in an elevated prompt and for SYSTEM.
// (The token's elevation flag would also say yes for Backup Operators, who
// may not write those keys; a write probe of one key would speak for that
// key only.)
bool HoldsAdministratorRights();

}  // namespace hs::win32
