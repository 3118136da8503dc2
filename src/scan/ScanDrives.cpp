#include "scan/ScanDrives.h"

#include "platform/FileSystemBackend.h"

namespace hs {

std::string BuildScanDrives(FileSystemBackend& fs, bool includeRemoveMedia, bool includeCdDrive) {
  std::string drives = includeRemoveMedia ? "ab" : "";
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    const DriveType type = fs.driveType(letter);
    if (type == DriveType::CdRom) {
      if (!includeCdDrive) continue;
      drives += letter;
    }
    if (includeRemoveMedia || type == DriveType::Fixed) drives += letter;
  }
  return drives;
}

bool VolumeIsReady(FileSystemBackend& fs, char letter) {
  return fs.volumeReady(std::string(1, letter) + ":\\");
}

DriveFlags MakeDriveFlags(FileSystemBackend& fs, bool includeRemoveMedia, bool includeCdDrive,
                          bool runsOnWow64) {
  DriveFlags flags;
  flags.ScanDrives = BuildScanDrives(fs, includeRemoveMedia, includeCdDrive);
  if (includeRemoveMedia) {
    flags.FloppyAReady = VolumeIsReady(fs, 'a');
    flags.FloppyBReady = VolumeIsReady(fs, 'b');
  }
  flags.RunsOnWow64 = runsOnWow64;
  return flags;
}

}  // namespace hs
