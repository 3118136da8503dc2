#pragma once
// Reader of registry export files: REGEDIT4 (the ANSI code page) and "Windows
// Registry Editor Version 5.00" (UTF-16LE with BOM, or UTF-8). Used to load
// fixtures into the in-memory registry and to verify backups and restores.
#include <functional>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "platform/RegistryBackend.h"

namespace hs {

struct RegFileValue {
  RegValue value;       // data in registry form (strings as UTF-16LE with NUL)
  bool remove = false;  // "name"=-
};

struct RegFileSection {
  std::string keyPath;  // full path, as written between the brackets
  bool remove = false;  // [-HKEY_...]
  int line = 0;
  std::size_t offset = 0;  // where its key line begins in the file's bytes
  std::vector<RegFileValue> values;
};

struct RegFile {
  bool unicode = false;  // version 5 header
  std::vector<RegFileSection> sections;
};

struct RegFileError {
  int line = 0;  // 1-based; 0 when the whole file is at fault
  std::string message;
};

// Parses the raw bytes of a file; an 8-bit file is read in `codePage`, which
// must be the one the registry editor reading the file uses (the machine's
// ANSI code page, FileSystemBackend::ansiCodePage). Returns false with
// `error` filled for a malformed file; never throws on bad input. Besides the
// result it holds little more than one line at a time.
bool ParseRegFile(const std::string& bytes, const CodePage& codePage, RegFile& out,
                  RegFileError& error);

// The length of the file's intact part: everything up to its last line end,
// less a value whose hex data continues past it. A file cut off while it was
// written (a full disk) ends in a partial line that would import as wrong
// data; only the intact part may be imported. UTF-16 files count as intact.
std::size_t IntactLength(const std::string& bytes);

// Parses as ParseRegFile does, handing each section to `sink` as soon as it
// is complete instead of keeping them all: a file of any size costs one
// section at a time. Sections before a malformed line have been handed on
// when it returns false. `unicode`, when given, receives the header's kind.
using RegFileSectionSink = std::function<void(RegFileSection&&)>;
bool ParseRegFileSections(const std::string& bytes, const CodePage& codePage,
                          const RegFileSectionSink& sink, RegFileError& error,
                          bool* unicode = nullptr);

}  // namespace hs
