#include <algorithm>

#include "common/Text.h"
#include "conformance/FileSystemConformance.h"
#include "platform/memory/MemoryFileSystem.h"

namespace hs::conformance {

void FileSystemConformance::SetUp() {
  fs = GetParam().make();
  ASSERT_TRUE(fs);
  scratch = GetParam().scratchFolder();
  if (readOnly()) {
    GetParam().emptyScratch();
    return;
  }
  if (fs->probe(scratch) != PathProbe::NotFound) {
    ASSERT_TRUE(fs->deleteSilently(scratch));  // leftovers of an earlier run
  }
  ASSERT_EQ(fs->createDirectory(scratch), FsStatus::Ok) << scratch;
}

void FileSystemConformance::writeFile(const std::string& relative, const std::string& content) {
  if (readOnly()) return GetParam().seed(relative, content);
  std::unique_ptr<FileWriter> writer;
  ASSERT_EQ(fs->openForWrite(at(relative), false, writer), FsStatus::Ok) << relative;
  ASSERT_EQ(writer->write(content), FsStatus::Ok);
  ASSERT_EQ(writer->flush(), FsStatus::Ok);
}

void FileSystemConformance::makeFolder(const std::string& relative) {
  if (readOnly()) return GetParam().seed(relative, std::nullopt);
  ASSERT_EQ(fs->createDirectory(at(relative)), FsStatus::Ok) << relative;
}

void FileSystemConformance::expectRefused(FsStatus status) {
  EXPECT_EQ(status, FsStatus::AccessDenied);
  EXPECT_FALSE(fs->lastErrorText().empty());
}

namespace {

std::string ReadAll(FileSystemBackend& fs, const std::string& path) {
  std::string content;
  EXPECT_EQ(fs.readFile(path, content), FsStatus::Ok) << path;
  return content;
}

std::string WithForwardSlashes(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

TEST_P(FileSystemConformance, ProbeTellsFilesFoldersAndOnlyTrulyMissingPaths) {
  writeFile("file.txt", "x");
  makeFolder("Sub");
  writeFile("Sub\\inner.exe", "y");
  const struct {
    std::string path;
    PathProbe expected;
  } cases[] = {
      {at("file.txt"), PathProbe::File},
      {at("FILE.TXT"), PathProbe::File},
      {at("Sub"), PathProbe::Folder},
      {at("sub\\"), PathProbe::Folder},
      {WithForwardSlashes(at("Sub/inner.exe")), PathProbe::File},
      {WithForwardSlashes(at("Sub/")), PathProbe::Folder},
      // The system drops trailing dots and blanks of the last name.
      {at("file.txt."), PathProbe::File},
      {at("file.txt  "), PathProbe::File},
      {at("Sub."), PathProbe::Folder},
      {at("missing.txt"), PathProbe::NotFound},
      {at("no folder\\missing.txt"), PathProbe::NotFound},
      {at("file.txt\\inner"), PathProbe::NotFound},  // a file is no folder
      {at("file.txt\\"), PathProbe::NotFound},
      {at("Sub\\..\\file.txt"), PathProbe::File},
      // A share that cannot be reached is not known to be missing.
      {"\\\\hs-no-such-server\\share\\x.exe", PathProbe::Inaccessible},
      // Wildcards are characters, never patterns.
      {at("*.txt"), PathProbe::NotFound},
      {at("file.tx?"), PathProbe::NotFound},
      {at("Sub\\*.exe"), PathProbe::NotFound},
      {at("S*\\inner.exe"), PathProbe::NotFound},
      // Names no file can have.
      {at("a<b"), PathProbe::NotFound},
      {at("a|b"), PathProbe::NotFound},
      {at("a\"b"), PathProbe::NotFound},
      {at("a\x01"
          "b"),
       PathProbe::NotFound},
      {at(std::string("file.txt\0tail", 13)), PathProbe::NotFound},
      {"", PathProbe::NotFound},
  };
  for (const auto& c : cases) EXPECT_EQ(fs->probe(c.path), c.expected) << c.path;
}

TEST_P(FileSystemConformance, ListDirectoryGivesEveryEntryOnce) {
  writeFile("a.txt", "abc");
  writeFile("Empty.bin", "");
  makeFolder("Folder");
  writeFile("Folder\\deep.txt", "12345");
  std::vector<DirEntry> entries;
  ASSERT_EQ(fs->listDirectory(scratch, entries), FsStatus::Ok);
  // The order is the file system's own; compare by name.
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Empty.bin");
  EXPECT_FALSE(entries[0].isFolder);
  EXPECT_EQ(entries[0].size, 0u);
  EXPECT_EQ(entries[1].name, "Folder");
  EXPECT_TRUE(entries[1].isFolder);
  EXPECT_EQ(entries[2].name, "a.txt");
  EXPECT_EQ(entries[2].size, 3u);
  for (const DirEntry& e : entries) {
    EXPECT_GT(e.modifiedUnixSeconds, 946684800) << e.name;  // after 2000-01-01
    EXPECT_FALSE(e.isLink) << e.name;
  }
  ASSERT_EQ(fs->listDirectory(at("Folder\\"), entries), FsStatus::Ok);  // trailing backslash
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "deep.txt");
  EXPECT_EQ(entries[0].size, 5u);

  makeFolder("Nothing");
  EXPECT_EQ(fs->listDirectory(at("Nothing"), entries), FsStatus::Ok);
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(fs->listDirectory(at("missing"), entries), FsStatus::NotFound);
  EXPECT_EQ(fs->listDirectory(at("a.txt"), entries), FsStatus::NotFound);
  EXPECT_EQ(fs->listDirectory(at("F*"), entries), FsStatus::NotFound);  // no pattern
}

TEST_P(FileSystemConformance, WriteTruncatesAppendAddsReadReturnsTheBytes) {
  const std::string binary("\0\x01\xFF\r\n\x80z", 7);
  writeFile("data.bin", binary);
  EXPECT_EQ(ReadAll(*fs, at("data.bin")), binary);
  if (readOnly()) {
    for (const bool append : {false, true}) {
      std::unique_ptr<FileWriter> writer;
      expectRefused(fs->openForWrite(at("DATA.bin"), append, writer));
      EXPECT_FALSE(writer);
      expectRefused(fs->openForWrite(at("fresh.txt"), append, writer));
    }
    EXPECT_EQ(ReadAll(*fs, at("data.bin")), binary);
    EXPECT_EQ(fs->probe(at("fresh.txt")), PathProbe::NotFound);
    std::string content;
    EXPECT_EQ(fs->readFile(at("missing.txt"), content), FsStatus::NotFound);
    EXPECT_EQ(fs->readFileFrom(at("data.bin"), 3, content), FsStatus::Ok);
    EXPECT_EQ(content, binary.substr(3));
    return;
  }
  {
    std::unique_ptr<FileWriter> writer;
    ASSERT_EQ(fs->openForWrite(at("DATA.bin"), true, writer), FsStatus::Ok);
    ASSERT_EQ(writer->write("tail"), FsStatus::Ok);
    ASSERT_EQ(writer->write(""), FsStatus::Ok);
    ASSERT_EQ(writer->flush(), FsStatus::Ok);
  }
  EXPECT_EQ(ReadAll(*fs, at("data.bin")), binary + "tail");
  writeFile("data.bin", "new");
  EXPECT_EQ(ReadAll(*fs, at("data.bin")), "new");
  {
    std::unique_ptr<FileWriter> writer;  // appending creates a missing file
    ASSERT_EQ(fs->openForWrite(at("fresh.txt"), true, writer), FsStatus::Ok);
    ASSERT_EQ(writer->write("1"), FsStatus::Ok);
  }
  EXPECT_EQ(ReadAll(*fs, at("fresh.txt")), "1");

  std::unique_ptr<FileWriter> writer;
  std::string content;
  EXPECT_EQ(fs->openForWrite(at("no folder\\x.txt"), false, writer), FsStatus::NotFound);
  EXPECT_FALSE(writer);
  makeFolder("Folder");
  EXPECT_EQ(fs->openForWrite(at("Folder"), false, writer), FsStatus::AccessDenied);
  EXPECT_EQ(fs->probe(at("Folder")), PathProbe::Folder);  // still a folder
  EXPECT_EQ(fs->readFile(at("missing.txt"), content), FsStatus::NotFound);
}

TEST_P(FileSystemConformance, ReplaceFileMovesTheNewFileOverTheOld) {
  writeFile("settings.ini", "old");
  writeFile("settings.tmp", "new");
  if (readOnly()) {
    expectRefused(fs->replaceFile(at("settings.tmp"), at("settings.ini")));
    EXPECT_EQ(ReadAll(*fs, at("settings.ini")), "old");
    EXPECT_EQ(ReadAll(*fs, at("settings.tmp")), "new");
    return;
  }
  EXPECT_EQ(fs->replaceFile(at("settings.tmp"), at("settings.ini")), FsStatus::Ok);
  EXPECT_EQ(ReadAll(*fs, at("settings.ini")), "new");
  EXPECT_EQ(fs->probe(at("settings.tmp")), PathProbe::NotFound);
  writeFile("other.tmp", "other");
  EXPECT_EQ(fs->replaceFile(at("other.tmp"), at("created.ini")), FsStatus::Ok);
  EXPECT_EQ(ReadAll(*fs, at("created.ini")), "other");
  EXPECT_EQ(fs->replaceFile(at("gone.tmp"), at("settings.ini")), FsStatus::NotFound);
  EXPECT_EQ(ReadAll(*fs, at("settings.ini")), "new");
  makeFolder("Folder");
  writeFile("Folder\\kept.txt", "kept");
  writeFile("third.tmp", "third");
  EXPECT_EQ(fs->replaceFile(at("third.tmp"), at("Folder")), FsStatus::AccessDenied);
  EXPECT_EQ(ReadAll(*fs, at("Folder\\kept.txt")), "kept");
  EXPECT_EQ(ReadAll(*fs, at("third.tmp")), "third");
}

TEST_P(FileSystemConformance, DeleteSilentlyRemovesExactlyTheNamedItem) {
  writeFile("a.lnk", "1");
  writeFile("b.lnk", "2");
  makeFolder("Tree");
  writeFile("Tree\\leaf.txt", "3");
  if (readOnly()) {
    EXPECT_FALSE(fs->deleteSilently(at("A.LNK")));
    EXPECT_FALSE(fs->deleteSilently(at("Tree")));
    EXPECT_FALSE(fs->lastErrorText().empty());
    EXPECT_EQ(fs->probe(at("a.lnk")), PathProbe::File);
    EXPECT_EQ(fs->probe(at("Tree\\leaf.txt")), PathProbe::File);
    return;
  }
  EXPECT_FALSE(fs->deleteSilently(at("*.lnk")));  // a pattern is no name
  EXPECT_FALSE(fs->deleteSilently(at("?.lnk")));
  EXPECT_EQ(fs->probe(at("a.lnk")), PathProbe::File);
  EXPECT_EQ(fs->probe(at("b.lnk")), PathProbe::File);
  EXPECT_TRUE(fs->deleteSilently(at("A.LNK")));
  EXPECT_EQ(fs->probe(at("a.lnk")), PathProbe::NotFound);
  EXPECT_EQ(fs->probe(at("b.lnk")), PathProbe::File);
  EXPECT_TRUE(fs->deleteSilently(at("Tree")));
  EXPECT_EQ(fs->probe(at("Tree")), PathProbe::NotFound);
  EXPECT_FALSE(fs->deleteSilently(at("missing.lnk")));
  EXPECT_FALSE(fs->deleteSilently(""));
}

TEST_P(FileSystemConformance, RecycleBinTakesOneNamedFileOnly) {
  writeFile("a.lnk", "1");
  writeFile("b.lnk", "2");
  makeFolder("Tree");
  EXPECT_FALSE(fs->moveToRecycleBin(at("*.lnk")));
  EXPECT_FALSE(fs->moveToRecycleBin(at("Tree")));  // files only
  EXPECT_FALSE(fs->moveToRecycleBin(at("missing.lnk")));
  if (readOnly()) {
    EXPECT_FALSE(fs->moveToRecycleBin(at("A.LNK")));
    EXPECT_EQ(fs->probe(at("a.lnk")), PathProbe::File);
    return;
  }
  EXPECT_TRUE(fs->moveToRecycleBin(at("A.LNK")));
  EXPECT_EQ(fs->probe(at("a.lnk")), PathProbe::NotFound);
  EXPECT_EQ(fs->probe(at("b.lnk")), PathProbe::File);
  EXPECT_EQ(fs->probe(at("Tree")), PathProbe::Folder);
}

TEST_P(FileSystemConformance, CreateDirectoryMakesOneLevel) {
  if (readOnly()) {
    expectRefused(fs->createDirectory(at("New")));
    EXPECT_EQ(fs->probe(at("new")), PathProbe::NotFound);
    return;
  }
  EXPECT_EQ(fs->createDirectory(at("New")), FsStatus::Ok);
  EXPECT_EQ(fs->probe(at("new")), PathProbe::Folder);
  EXPECT_EQ(fs->createDirectory(at("NEW")), FsStatus::Failed);  // exists already
  EXPECT_EQ(fs->createDirectory(at("no parent\\child")), FsStatus::NotFound);
  writeFile("file", "x");
  EXPECT_EQ(fs->createDirectory(at("file")), FsStatus::Failed);
  EXPECT_EQ(fs->probe(at("file")), PathProbe::File);
}

TEST_P(FileSystemConformance, SystemInformationAnswersForDriveC) {
  EXPECT_EQ(fs->driveType('C'), DriveType::Fixed);
  EXPECT_EQ(fs->driveType('c'), DriveType::Fixed);
  EXPECT_TRUE(fs->volumeReady("C:\\"));
  // Unknown variables stay as written.
  EXPECT_EQ(fs->expandEnvironment("%HS_NO_SUCH_VARIABLE%\\x.exe"),
            std::optional<std::string>("%HS_NO_SUCH_VARIABLE%\\x.exe"));
  EXPECT_EQ(fs->expandEnvironment(""), std::optional<std::string>(""));
}

TEST_P(FileSystemConformance, ResolvePathNamesWhatExistsAsTheSystemSpellsIt) {
  writeFile("Backup.reg", "x");
  makeFolder("Sub");
  std::string root;
  ASSERT_EQ(fs->resolvePath(scratch, root), FsStatus::Ok);
  EXPECT_TRUE(EndsWithNoCase(root, "\\HivesweepConformance")) << root;
  EXPECT_EQ(root.find('/'), std::string::npos) << root;
  const std::string expected = root + "\\Backup.reg";
  for (const std::string& spelling :
       {at("Backup.reg"), at("sub\\..\\BACKUP.REG"), WithForwardSlashes(at("Sub/../backup.reg")),
        at(".\\Backup.reg."), scratch + "\\..\\HivesweepConformance\\Backup.reg"}) {
    std::string resolved;
    EXPECT_EQ(fs->resolvePath(spelling, resolved), FsStatus::Ok) << spelling;
    EXPECT_EQ(resolved, expected) << spelling;
  }
  std::string resolved;
  EXPECT_EQ(fs->resolvePath(at("Sub"), resolved), FsStatus::Ok);
  EXPECT_EQ(resolved, root + "\\Sub");
  EXPECT_EQ(fs->resolvePath(at("missing.reg"), resolved), FsStatus::NotFound);
  EXPECT_EQ(fs->resolvePath(at("nowhere\\x.reg"), resolved), FsStatus::NotFound);
  EXPECT_EQ(fs->resolvePath(at("*.reg"), resolved), FsStatus::NotFound);
  EXPECT_TRUE(resolved.empty());

  bool link = true;
  EXPECT_EQ(fs->isLink(at("Backup.reg"), link), FsStatus::Ok);
  EXPECT_FALSE(link);
  EXPECT_EQ(fs->isLink(at("Sub"), link), FsStatus::Ok);
  EXPECT_FALSE(link);
  EXPECT_EQ(fs->isLink(at("missing.reg"), link), FsStatus::NotFound);
}

TEST_P(FileSystemConformance, PrivateTempFilesAreNewFilesEveryTime) {
  std::string first, second;
  std::unique_ptr<FileWriter> firstWriter, secondWriter;
  if (readOnly()) {
    expectRefused(fs->createPrivateTempFile(first, firstWriter));
    EXPECT_TRUE(first.empty());
    EXPECT_FALSE(firstWriter);
    return;
  }
  ASSERT_EQ(fs->createPrivateTempFile(first, firstWriter), FsStatus::Ok);
  ASSERT_EQ(fs->createPrivateTempFile(second, secondWriter), FsStatus::Ok);
  ASSERT_TRUE(firstWriter && secondWriter);
  EXPECT_FALSE(EqualsNoCase(first, second));
  EXPECT_EQ(fs->probe(first), PathProbe::File);
  EXPECT_EQ(ReadAll(*fs, first), "");  // new, not an old file reused
  ASSERT_EQ(firstWriter->write("REGEDIT4\r\n"), FsStatus::Ok);
  ASSERT_EQ(firstWriter->flush(), FsStatus::Ok);
  firstWriter.reset();
  secondWriter.reset();
  EXPECT_EQ(ReadAll(*fs, first), "REGEDIT4\r\n");
  std::string resolved;
  EXPECT_EQ(fs->resolvePath(first, resolved), FsStatus::Ok);
  EXPECT_TRUE(fs->deleteSilently(first));
  EXPECT_TRUE(fs->deleteSilently(second));
  EXPECT_EQ(fs->probe(first), PathProbe::NotFound);
}

INSTANTIATE_TEST_SUITE_P(Memory, FileSystemConformance,
                         ::testing::Values(FileSystemTarget{
                             "Memory",
                             [] {
                               auto fs = std::make_unique<MemoryFileSystem>();
                               fs->addFolder("C:\\Temp");
                               return fs;
                             },
                             [] { return std::string("C:\\Temp\\HivesweepConformance"); },
                             {},
                             {}}),
                         FileSystemTargetName);

}  // namespace hs::conformance
