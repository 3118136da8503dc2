#pragma once
// A small Windows volume in a temporary folder for the offline commands'
// tests: hives written with python3-hivex from the empty recovery hive
// (SOFTWARE with startup entries, shared DLLs and the program's uninstall
// entry; SYSTEM; Ann's NTUSER.DAT, with a 20,000-byte value beside a missing
// reference), files present and missing in other
// letter cases, the installed program's options.ini with an ignore list and
// a backup folder ("Saved").
#include <gtest/gtest.h>

#include <string>

#include "offline/posix/HiveTestFiles.h"

namespace hs::offline::test {

// Runs a shell command; its standard output, the exit code in `exitCode`.
std::string RunCommand(const std::string& command, int& exitCode);

// Writes a file, making its folders.
void Touch(const std::string& path, const std::string& content = "x");

class SmallInstallation : public ::testing::Test {
 protected:
  void SetUp() override;

  // hivesweep-offline with `args`; standard error goes to errors().
  std::string offline(const std::string& args, int& exitCode);
  std::string errors();
  std::string configFolder() const { return volume + "/WINDOWS/system32/Config"; }
  // Writes the hives into the volume; `extra` "x86" puts the program's
  // uninstall entry in the 32-bit view.
  void makeHives(const std::string& extra);

  HiveFolder folder;
  std::string volume;
};

}  // namespace hs::offline::test
