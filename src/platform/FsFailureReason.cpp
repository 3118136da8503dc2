#include "platform/FileSystemBackend.h"

namespace hs {

std::string FsFailureReason(FileSystemBackend& fs, FsStatus status) {
  if (status == FsStatus::Ok) return {};
  std::string text = fs.lastErrorText();
  if (!text.empty()) return text;
  switch (status) {
    case FsStatus::NotFound:
      return "the path does not exist";
    case FsStatus::AccessDenied:
      return "access denied";
    case FsStatus::DiskFull:
      return "the disk is full";
    default:
      return {};
  }
}

}  // namespace hs
