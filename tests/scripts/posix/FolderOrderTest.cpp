// scripts/folder-order.py over small trees of its own: an include against the
// documented order, a portable file reaching a win32/ header, a folder the
// list lacks and a stale graph each fail the check, naming the place.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace hs::test {
namespace {

namespace fs = std::filesystem;

struct ScriptRun {
  int exitCode = -1;
  std::string output;
};

class FolderOrder : public ::testing::Test {
 protected:
  void SetUp() override {
    m_root = fs::temp_directory_path() /
             ("hs-folder-order-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_root);
    Write("docs/ARCHITECTURE.md",
          "# Layers\n\n"
          "<!-- folder order: checked by scripts/folder-order.py -->\n"
          "```\n"
          "low/    the bottom\n"
          "        (a description goes on)\n"
          "high/   uses low\n"
          "```\n\n"
          "  <!-- folder graph: written by scripts/folder-order.py update -->\n"
          "  <!-- end of folder graph -->\n");
    Write("src/low/Low.h", "#pragma once\n");
    Write("src/low/win32/LowWindow.h", "#pragma once\n#include \"low/Low.h\"\n");
    Write("src/high/High.cpp", "#include <string>\n#include \"low/Low.h\"\n");
    Write("src/high/win32/HighWindow.cpp", "#include \"low/win32/LowWindow.h\"\n");
  }
  void TearDown() override { fs::remove_all(m_root); }

  void Write(const std::string& relative, const std::string& text) {
    fs::create_directories((m_root / relative).parent_path());
    std::ofstream(m_root / relative, std::ios::binary) << text;
  }

  std::string Read(const std::string& relative) {
    std::ifstream in(m_root / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  ScriptRun Run(const std::string& command) {
    const std::string line = "python3 '" HS_SOURCE_ROOT "/scripts/folder-order.py' " + command +
                             " --root '" + m_root.string() + "' 2>&1";
    ScriptRun run;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
      run.output.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }

  fs::path m_root;
};

TEST_F(FolderOrder, DrawsTheGraphAndPassesATreeThatKeepsTheOrder) {
  ASSERT_EQ(Run("update").exitCode, 0);
  EXPECT_NE(Read("docs/ARCHITECTURE.md")
                .find("  ```\n  high/ ──► low\n  low/\n  ```\n"
                      "  <!-- end of folder graph -->"),
            std::string::npos)
      << Read("docs/ARCHITECTURE.md");
  const ScriptRun run = Run("check");
  EXPECT_EQ(run.exitCode, 0) << run.output;
}

TEST_F(FolderOrder, FailsOnAnIncludeUpTheOrderNamingTheLine) {
  Run("update");
  Write("src/low/Low.cpp", "#include \"low/Low.h\"\n\n#include \"high/High.h\"\n");
  const ScriptRun run = Run("check");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("src/low/Low.cpp:3: includes high/High.h"), std::string::npos)
      << run.output;
}

TEST_F(FolderOrder, FailsWhenAPortableFileIncludesAWin32Header) {
  Write("src/high/Portable.cpp", "#include \"low/win32/LowWindow.h\"\n");
  Run("update");
  const ScriptRun run = Run("check");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("src/high/Portable.cpp:1: includes low/win32/LowWindow.h, a win32/"),
            std::string::npos)
      << run.output;
}

TEST_F(FolderOrder, FailsOnAFolderTheListLacksAndOnAStaleGraph) {
  Run("update");
  Write("src/extra/Extra.h", "#pragma once\n");
  ScriptRun run = Run("check");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("src/extra/ is not in the folder order"), std::string::npos)
      << run.output;

  fs::remove_all(m_root / "src/extra");
  Write("src/high/More.cpp", "#include \"high/High.h\"\n");  // its own folder: no new edge
  EXPECT_EQ(Run("check").exitCode, 0);
  fs::remove_all(m_root / "src/high");
  run = Run("check");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("folder graph in ARCHITECTURE.md is out of date"), std::string::npos)
      << run.output;
}

TEST_F(FolderOrder, RefusesADocumentWithoutTheOrder) {
  Write("docs/ARCHITECTURE.md", "# Layers\n\nno list here\n");
  const ScriptRun run = Run("check");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.output.find("lacks the line"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace hs::test
