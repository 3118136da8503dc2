#pragma once
// The names of host folders, read once each and kept while the folder's
// modification time stays the same, so that every name of a Windows path
// can be matched without regard to case in a few steps. 8.3 short names are read from ntfs-3g's
// "system.ntfs_dos_name" attribute, per folder, only when a name asks for
// one. Safe to use from several threads.
#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace hs {

class FolderCache {
 public:
  enum class Match {
    Found,         // `name` is the entry's own spelling
    NotFound,      // the folder holds no such name, long or short
    Inaccessible,  // the folder or its short names could not be read
    NotAFolder,    // the host path is no folder
  };

  // The entry of `hostFolder` named `wanted`: an exact-case match first,
  // then one that differs only in case, then a file whose 8.3 short name it
  // is (when `wanted` can be one). `type` is the entry's d_type as listed
  // (DT_UNKNOWN when the file system does not say). A name found in the kept
  // listing costs no system call; a miss looks whether the folder changed.
  Match find(const std::string& hostFolder, const std::string& wanted, std::string& name,
             unsigned char& type);
  // The entry names of the folder, read afresh when it changed
  // (ENOENT/ENOTDIR: NotFound/NotAFolder).
  Match list(const std::string& hostFolder, std::vector<std::string>& names);

  // Reads the short name of one host file; "" when it has none. nullopt
  // when the attribute cannot be read (another file system, no access).
  using DosNameReader = std::optional<std::string> (*)(const std::string& hostPath);
  void setDosNameReader(DosNameReader reader) { m_readDosName = reader; }

  static std::optional<std::string> ReadNtfsDosName(const std::string& hostPath);

 private:
  struct Folder {
    int error = 0;  // errno of opening it; 0 when read
    ino_t inode = 0;
    timespec changed{};  // the folder's modification time when read
    std::vector<std::string> names;
    std::vector<unsigned char> types;  // d_type of each name
    std::unordered_map<std::string, std::vector<std::size_t>> byUpperName;
    bool dosNamesRead = false;
    bool dosNamesComplete = false;  // every entry answered
    std::unordered_map<std::string, std::size_t> byUpperDosName;
  };
  // The kept listing; with `revalidate`, or when none is kept, one read
  // again when the folder's time or identity changed.
  std::shared_ptr<Folder> folder(const std::string& hostFolder, bool revalidate);
  void readDosNames(const std::string& hostFolder, Folder& folder);

  std::mutex m_mutex;
  std::map<std::string, std::shared_ptr<Folder>> m_folders;
  DosNameReader m_readDosName = &ReadNtfsDosName;
};

// Whether a name has the form of an 8.3 short name with a "~" ("PROGRA~1",
// "MICROS~2.EXE"): only such names are looked for among short names.
bool CanBeShortName(const std::string& name);

}  // namespace hs
