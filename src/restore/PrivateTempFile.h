#pragma once
// A private temporary copy of bytes that another program is to read: made
// exclusively in the user's own temporary folder and deleted when the object
// goes, whatever happened in between, unless it was left to a reader that
// may still be using it.
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs {

class PrivateTempFile {
 public:
  explicit PrivateTempFile(FileSystemBackend& fs) : m_fs(fs) {}
  ~PrivateTempFile() { remove(); }
  PrivateTempFile(const PrivateTempFile&) = delete;
  PrivateTempFile& operator=(const PrivateTempFile&) = delete;

  // Creates the file and writes `bytes` to it, flushed. False when any step
  // failed (what was made is removed).
  bool write(const std::string& bytes);
  const std::string& path() const { return m_path; }
  void remove();
  // Lets the file outlive this object (a reader may still have it open);
  // returns its path, which the caller reports.
  std::string leave();

 private:
  FileSystemBackend& m_fs;
  std::string m_path;
};

}  // namespace hs
