#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/SingleByteCodePage.h"
#include "common/Text.h"
#include "platform/ShellLinkFile.h"

namespace hs {
namespace {

// A shell link laid out by the format's rules, part by part, as the shell of
// current Windows writes it: Unicode link information, an ID list whose file
// items carry version 9 extension blocks, an environment block.
class LinkBuilder {
 public:
  std::uint32_t flags = 0x80;  // IsUnicode
  std::string idList, linkInfo, strings, extra;

  static std::string U16(std::uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
  static std::string U32(std::uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
  static std::string Wide(const std::string& utf8) {
    std::string out;
    for (char16_t c : Utf8ToUtf16(utf8)) out += U16(c);
    return out;
  }

  void addMyComputer() {
    idList += U16(20) + std::string("\x1F\x50", 2) +
              std::string("\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16);
  }
  void addDrive(const std::string& root) {
    const std::string body = "\x2F" + root + std::string(25 - root.size() - 1, '\0');
    idList += U16(static_cast<std::uint32_t>(body.size() + 2)) + body;
  }
  void addFileEntry(const std::string& shortName, const std::string& longName) {
    std::string item = std::string("\x32\x00", 2) + U32(0) + U32(0) + U16(0x20) + shortName + '\0';
    if (item.size() % 2) item += '\0';  // the short name is padded to an even length
    const std::size_t blockAt = item.size() + 2;
    std::string block = U16(0) + U16(9) + U32(0xBEEF0004) + U32(0) + U32(0) + U16(0x2E) +
                        std::string(18, '\0') + U16(0) + U32(0) + U32(0);
    block += Wide(longName) + U16(0) + U16(static_cast<std::uint32_t>(blockAt));
    block.replace(0, 2, U16(static_cast<std::uint32_t>(block.size())));
    item += block;
    idList += U16(static_cast<std::uint32_t>(item.size() + 2)) + item;
  }
  // Unicode header (0x24 bytes): local base path and suffix in both forms.
  void setLocalPath(const std::string& base, const std::string& suffix) {
    const std::string ansiBase = base + '\0', ansiSuffix = suffix + '\0';
    const std::string wideBase = Wide(base) + U16(0), wideSuffix = Wide(suffix) + U16(0);
    const std::string volume = U32(0x11) + U32(3) + U32(0x1234) + U32(0x10) + '\0';
    std::uint32_t at = 0x24;
    const std::uint32_t volumeAt = at, baseAt = at += std::uint32_t(volume.size()),
                        suffixAt = at += std::uint32_t(ansiBase.size()),
                        wideBaseAt = at += std::uint32_t(ansiSuffix.size()),
                        wideSuffixAt = at += std::uint32_t(wideBase.size());
    at += std::uint32_t(wideSuffix.size());
    linkInfo = U32(at) + U32(0x24) + U32(1) + U32(volumeAt) + U32(baseAt) + U32(0) + U32(suffixAt) +
               U32(wideBaseAt) + U32(wideSuffixAt) + volume + ansiBase + ansiSuffix + wideBase +
               wideSuffix;
    flags |= 0x2;
  }
  void setShare(const std::string& netName, const std::string& suffix) {
    const std::string network = U32(0x14 + std::uint32_t(netName.size()) + 1) + U32(0) + U32(0x14) +
                                U32(0) + U32(0x20000) + netName + '\0';
    const std::uint32_t networkAt = 0x1C, suffixAt = networkAt + std::uint32_t(network.size());
    linkInfo = U32(suffixAt + std::uint32_t(suffix.size()) + 1) + U32(0x1C) + U32(2) + U32(0) +
               U32(0) + U32(networkAt) + U32(suffixAt) + network + suffix + '\0';
    flags |= 0x2;
  }
  void addString(std::uint32_t flag, const std::string& text) {
    flags |= flag;
    strings += U16(static_cast<std::uint32_t>(Utf8ToUtf16(text).size())) + Wide(text);
  }
  void setEnvironmentTarget(const std::string& target) {
    flags |= 0x200;
    std::string ansi = target;
    ansi.resize(260, '\0');
    std::string wide = Wide(target);
    wide.resize(520, '\0');
    extra += U32(0x314) + U32(0xA0000001) + ansi + wide;
  }
  std::string bytes() const {
    std::string header =
        U32(0x4C) +
        std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16) +
        U32(flags | (idList.empty() ? 0 : 1)) + std::string(52, '\0');
    std::string out = header;
    if (!idList.empty())
      out += U16(static_cast<std::uint32_t>(idList.size() + 2)) + idList + U16(0);
    return out + linkInfo + strings + extra + U32(0);
  }
};

std::string NoExpansion(const std::string& text) {
  return text;
}

std::string TargetOf(const std::string& bytes,
                     const std::string& folder = "C:\\Users\\Ann\\Desktop") {
  ShellLinkFile link;
  if (!ReadShellLinkFile(bytes, Windows1252CodePage(), link)) return "<unreadable>";
  return ShellLinkTargetPath(link, folder, [](const std::string& text) {
    std::string out = text;
    const std::size_t at = FindNoCase(out, "%ProgramFiles%");
    if (at != std::string::npos) out.replace(at, 14, "D:\\Programs");
    return out;
  });
}

TEST(ShellLinkFile, ReadsEveryPartLaidOutByTheFormat) {
  LinkBuilder b;
  b.addMyComputer();
  b.addDrive("C:\\");
  b.addFileEntry("PROGRA~1", "Program Files");
  b.addFileEntry("UBERTO~1.EXE",
                 "\xC3\x9C"
                 "ber \xE2\x98\x83.exe");
  b.setLocalPath(
      "C:\\Program Files\\\xC3\x9C"
      "ber \xE2\x98\x83.exe",
      "");
  b.addString(0x4, "A description");
  b.addString(0x8, "..\\..\\..\\Program Files\\x.exe");
  b.addString(0x10, "C:\\Program Files");
  b.addString(0x20, "--go \"far\"");
  b.addString(0x40, "%SystemRoot%\\system32\\shell32.dll");
  ShellLinkFile link;
  ASSERT_TRUE(ReadShellLinkFile(b.bytes(), Windows1252CodePage(), link));
  EXPECT_EQ(link.idListPath,
            "C:\\Program Files\\\xC3\x9C"
            "ber \xE2\x98\x83.exe");
  EXPECT_EQ(link.localBasePath,
            "C:\\Program Files\\\xC3\x9C"
            "ber \xE2\x98\x83.exe");
  EXPECT_EQ(link.name, "A description");
  EXPECT_EQ(link.relativePath, "..\\..\\..\\Program Files\\x.exe");
  EXPECT_EQ(link.workingDir, "C:\\Program Files");
  EXPECT_EQ(link.arguments, "--go \"far\"");
  EXPECT_EQ(link.iconLocation, "%SystemRoot%\\system32\\shell32.dll");
  EXPECT_EQ(ShellLinkTargetPath(link, "", NoExpansion), link.localBasePath);
}

TEST(ShellLinkFile, TargetComesFromTheFirstPartThatNamesOne) {
  {  // the environment block wins when it expands to a full path
    LinkBuilder b;
    b.setLocalPath("C:\\Program Files\\", "App\\app.exe");
    b.setEnvironmentTarget("%ProgramFiles%\\App\\app.exe");
    EXPECT_EQ(TargetOf(b.bytes()), "D:\\Programs\\App\\app.exe");
  }
  {  // an unknown variable stays as written: not a path, so the volume path
    LinkBuilder b;
    b.setLocalPath("C:\\Program Files\\", "App\\app.exe");
    b.setEnvironmentTarget("%HS_UNKNOWN%\\app.exe");
    EXPECT_EQ(TargetOf(b.bytes()), "C:\\Program Files\\App\\app.exe");
  }
  {  // a share keeps its UNC form
    LinkBuilder b;
    b.setShare("\\\\server\\tools", "bin\\tool.exe");
    EXPECT_EQ(TargetOf(b.bytes()), "\\\\server\\tools\\bin\\tool.exe");
  }
  {  // only an ID list
    LinkBuilder b;
    b.addMyComputer();
    b.addDrive("E:\\");
    b.addFileEntry("GAMES", "Games");
    EXPECT_EQ(TargetOf(b.bytes()), "E:\\Games");
  }
  {  // only a relative path: taken from the shortcut's folder
    LinkBuilder b;
    b.addString(0x8, "..\\..\\Tools\\.\\t.exe");
    EXPECT_EQ(TargetOf(b.bytes()), "C:\\Users\\Tools\\t.exe");
    EXPECT_EQ(TargetOf(b.bytes(), "C:\\"), "");  // cannot climb above the root
  }
  {  // nothing names a file: readable, no target
    LinkBuilder b;
    b.addString(0x20, "/x");
    EXPECT_EQ(TargetOf(b.bytes()), "");
  }
}

TEST(ShellLinkFile, EightBitTextIsReadInTheWritersCodePage) {
  // An old link: no Unicode flag, link information without Unicode fields.
  LinkBuilder b;
  b.flags = 0;
  const std::string base = "C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\x.exe";  // "Программы"
  b.linkInfo = LinkBuilder::U32(0x1C + 18 + std::uint32_t(base.size()) + 2) +
               LinkBuilder::U32(0x1C) + LinkBuilder::U32(1) + LinkBuilder::U32(0x1C) +
               LinkBuilder::U32(0x1C + 18) + LinkBuilder::U32(0) +
               LinkBuilder::U32(0x1C + 18 + std::uint32_t(base.size()) + 1) + LinkBuilder::U32(18) +
               LinkBuilder::U32(3) + LinkBuilder::U32(1) + LinkBuilder::U32(0x10) +
               std::string(2, '\0') + base + '\0' + '\0';
  b.flags |= 0x2 | 0x20;
  b.strings = LinkBuilder::U16(4) + "\xE4\xE0 -q";
  const auto cyrillic = SingleByteCodePage::Find(1251);
  ASSERT_TRUE(cyrillic);
  ShellLinkFile link;
  ASSERT_TRUE(ReadShellLinkFile(b.bytes(), *cyrillic, link));
  EXPECT_EQ(link.localBasePath,
            "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B\\x.exe");
  EXPECT_EQ(link.arguments, "\xD0\xB4\xD0\xB0 -");  // four bytes: "да -"
}

TEST(ShellLinkFile, DamagedOrForeignBytesAreNoShellLinkAndNeverCrash) {
  LinkBuilder b;
  b.addMyComputer();
  b.addDrive("C:\\");
  b.addFileEntry("PROGRA~1", "Program Files");
  b.setLocalPath("C:\\Program Files\\", "x.exe");
  b.addString(0x20, "args");
  b.setEnvironmentTarget("%ProgramFiles%\\x.exe");
  const std::string whole = b.bytes();
  EXPECT_EQ(TargetOf(whole), "D:\\Programs\\x.exe");
  // Cut before the extra data: some announced part is missing. Cut inside
  // it: the environment block is lost, what came before still reads.
  const std::size_t extraAt = whole.size() - b.extra.size() - 4;
  for (std::size_t length = 0; length < extraAt; ++length)
    EXPECT_EQ(TargetOf(whole.substr(0, length)), "<unreadable>") << length;
  for (std::size_t length = extraAt; length < extraAt + b.extra.size(); ++length)
    EXPECT_EQ(TargetOf(whole.substr(0, length)), "C:\\Program Files\\x.exe") << length;
  // Every byte changed in turn: any answer, but never a crash or a hang
  // (the fuzz target goes much further).
  for (std::size_t i = 0; i < whole.size(); ++i) {
    std::string bent = whole;
    bent[i] = static_cast<char>(bent[i] ^ 0xFF);
    TargetOf(bent);
  }
  EXPECT_EQ(TargetOf("[InternetShortcut]\r\nURL=http://x/\r\n"), "<unreadable>");
  EXPECT_EQ(TargetOf(std::string(76, '\0')), "<unreadable>");
}

#ifdef HS_TEST_DATA
std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(HS_TEST_DATA) + "/shortcuts/" + name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Shortcuts saved by Wine's shell link object; expected.txt holds the target
// that object read back from each.
TEST(ShellLinkFile, ReadsShortcutsTheShellWroteAsTheShellReadsThem) {
  std::istringstream manifest(ReadFixture("expected.txt"));
  std::string line;
  int checked = 0;
  while (std::getline(manifest, line)) {
    const std::size_t tab = line.find('\t');
    ASSERT_NE(tab, std::string::npos) << line;
    const std::string file = line.substr(0, tab), shellTarget = line.substr(tab + 1);
    const std::string bytes = ReadFixture(file);
    ASSERT_FALSE(bytes.empty()) << file;
    const std::string ours = TargetOf(bytes);
    if (file == "unicode.lnk") {
      // Wine's shell keeps only an 8-bit copy of the path in the link
      // information and reads back '?' for the snowman; the ID list holds the
      // name whole, and the reader takes it from there.
      EXPECT_EQ(shellTarget,
                "C:\\Program Files\\Hivesweep Test\\Sub Folder\\\xC3\x9C"
                "ber ? tool.exe");
      EXPECT_EQ(ours,
                "C:\\Program Files\\Hivesweep Test\\Sub Folder\\\xC3\x9C"
                "ber \xE2\x98\x83 tool.exe");
    } else {
      EXPECT_EQ(ours, shellTarget) << file;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 7);

  ShellLinkFile link;
  ASSERT_TRUE(ReadShellLinkFile(ReadFixture("local.lnk"), Windows1252CodePage(), link));
  EXPECT_EQ(link.idListPath, "C:\\Program Files\\Hivesweep Test\\app.exe");
  EXPECT_EQ(link.arguments, "--flag \"quoted arg\"");
  EXPECT_EQ(link.workingDir, "C:\\Program Files\\Hivesweep Test");
  EXPECT_EQ(link.name, "Test shortcut \xC3\xA9\xE2\x98\x83");
}
#endif

}  // namespace
}  // namespace hs
