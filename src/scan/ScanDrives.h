#pragma once
// Which drives a scan may judge, built once when the worker is created.
#include <string>

namespace hs {

class FileSystemBackend;

struct DriveFlags {
  std::string ScanDrives;  // lower-case letters whose paths are tested at all
  bool FloppyAReady = false;
  bool FloppyBReady = false;
  bool RunsOnWow64 = false;
};

// Letters c..z that are fixed disks, plus CD-ROM drives when includeCdDrive,
// plus every letter (starting with "ab") when includeRemoveMedia. A CD-ROM
// letter may stand twice; that is harmless.
std::string BuildScanDrives(FileSystemBackend& fs, bool includeRemoveMedia, bool includeCdDrive);

// Whether the drive root holds a readable volume, asked without a prompt.
bool VolumeIsReady(FileSystemBackend& fs, char letter);

// The drive letters and flags; floppies are tested only with removable media.
DriveFlags MakeDriveFlags(FileSystemBackend& fs, bool includeRemoveMedia, bool includeCdDrive,
                          bool runsOnWow64);

}  // namespace hs
