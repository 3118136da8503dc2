#pragma once
// The texts of one language: the message lookup of the "ResourceString"
// section of its translation file beside the program. A copy is cheap; the
// holder builds a new one when the language changes. It reads through the
// file system it was given, which is not its own: a copy handed to another
// thread must not outlive it (the window joins its scan workers before the
// program's backends go, see scan/ScanWorkers.h).
#include <string>

namespace hs {

class FileSystemBackend;

class Translation {
 public:
  // English: the built-in texts, no file is ever read.
  Translation() = default;
  Translation(FileSystemBackend& fs, std::string programFolder, std::string language);

  const std::string& Language() const { return m_language; }
  bool IsEnglish() const;

  // The translation file of `language`: program folder + "Lan_" + language +
  // ".ini"; "" when the name could reach outside the program folder (a path
  // separator, a drive colon or a character no file name may hold).
  std::string FilePath(const std::string& language) const;

  // The text of message `key`. English (in any letter case) never reads a
  // file. Otherwise the value of the key in section "ResourceString" of the
  // language's file, read afresh on every call; the built-in English text when
  // the file, the key or its text is missing.
  std::string GetLanString(const std::string& key, const std::string& english) const;

 private:
  FileSystemBackend* m_fs = nullptr;
  std::string m_programFolder;
  std::string m_language = "English";
};

}  // namespace hs
