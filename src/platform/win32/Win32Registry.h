#pragma once
// RegistryBackend over advapi32's W functions.
//
// Contracts beyond the interface:
// * Value data is passed through byte for byte; string types stay the UTF-16LE
//   bytes Windows holds, with or without their terminator.
// * Paths are split on "\" and empty parts are dropped, as the in-memory
//   registry does, so "a\\b\" opens "a\b".
// * A name that UTF-8 cannot carry (an unpaired surrogate) is listed with
//   U+FFFD in its place; asking for it by that name then finds nothing.
// * ERROR_FILE_NOT_FOUND and ERROR_KEY_DELETED map to NotFound,
//   ERROR_ACCESS_DENIED to AccessDenied, every other error to Failed.
// * The object holds no state of its own: any thread may use it, and keys
//   opened through it may be used by one thread at a time.
#include "platform/RegistryBackend.h"

namespace hs::win32 {

class Win32Registry : public RegistryBackend {
 public:
  RegStatus openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                    RegAccess access, bool create, RegKeyPtr& out, LastLink last = LastLink::Follow,
                    RegView view = RegView::Own) override;
  RegStatus subkeyNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus values(const RegKeyHandle& key, std::vector<RegValue>& out) override;
  RegStatus valuesUpTo(const RegKeyHandle& key, std::size_t count,
                       std::vector<RegValue>& out) override;
  RegStatus valueNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus queryValue(const RegKeyHandle& key, const std::string& name, RegValue& out) override;
  RegStatus keyInfo(const RegKeyHandle& key, RegKeyInfo& out) override;
  // The system time, which the registry stamps on the keys it writes.
  std::uint64_t writeClock() override;
  RegStatus setValue(const RegKeyHandle& key, const RegValue& value) override;
  RegStatus deleteValue(const RegKeyHandle& key, const std::string& name) override;
  RegStatus deleteLeafKey(const RegKeyHandle& parent, const std::string& name) override;
  RegStatus deleteOpenKey(const RegKeyHandle& key) override;
};

}  // namespace hs::win32
