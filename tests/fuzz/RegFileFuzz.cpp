// The .reg reader on arbitrary bytes, in Windows-1252 and in a double-byte
// code page: parsing, the intact-length cut and the import into the
// in-memory registry must never crash, and must agree. Every value read is
// also written the way a backup writes it and read back in the same page: it
// must come back with the same name, type and bytes, or be refused.
#include <cstdlib>

#include "FuzzInput.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "regfile/RegFileReader.h"
#include "regfile/RegFileWriter.h"

namespace {

// Shaped like the East Asian pages: ASCII on one byte, and two-byte
// characters whose second byte may be '@', '[', '\' or ']' (as in 932).
// Every other byte from 0x80 up is a lead byte; alone it stands for U+30FB.
class DoubleByteCodePage final : public hs::CodePage {
 public:
  std::u16string decode(std::string_view bytes) const override {
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto lead = static_cast<unsigned char>(bytes[i]);
      if (lead < 0x80) {
        out += static_cast<char16_t>(lead);
      } else if (i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) >= 0x40) {
        out += static_cast<char16_t>(0x4E00 + (lead - 0x80) * 0xC0 +
                                     (static_cast<unsigned char>(bytes[++i]) - 0x40));
      } else {
        out += u'\u30FB';
      }
    }
    return out;
  }

  bool encode(std::u16string_view text, std::string& out) const override {
    out.clear();
    for (const char16_t c : text) {
      if (c < 0x80) {
        out += static_cast<char>(c);
        continue;
      }
      if (c < 0x4E00 || c >= 0x4E00 + 0x80 * 0xC0) return false;
      out += static_cast<char>(0x80 + (c - 0x4E00) / 0xC0);
      out += static_cast<char>(0x40 + (c - 0x4E00) % 0xC0);
    }
    return true;
  }
};

void CheckBackupRoundTrip(const hs::RegValue& value, const hs::CodePage& page) {
  std::string line;
  try {
    line = hs::FormatValueLine(value, page);
  } catch (const hs::UnrepresentableError&) {
    return;  // refused before a byte is written: nothing is lost
  }
  const std::string backup = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Fuzz]\r\n" + line + "\r\n";
  hs::RegFile file;
  hs::RegFileError error;
  if (!hs::ParseRegFile(backup, page, file, error) || file.sections.size() != 1 ||
      file.sections[0].values.size() != 1)
    std::abort();
  const hs::RegValue& back = file.sections[0].values[0].value;
  if (back.name != value.name || back.type != value.type || back.data != value.data) std::abort();
}

void CheckInPage(const std::string& bytes, const hs::CodePage& page) {
  hs::RegFile file;
  hs::RegFileError error;
  const bool parsed = hs::ParseRegFile(bytes, page, file, error);
  if (!parsed && error.message.empty()) std::abort();

  hs::MemoryRegistry registry;
  hs::RegFileError importError;
  if (ImportRegText(registry, bytes, page, importError) != parsed) std::abort();

  for (const hs::RegFileSection& section : file.sections)
    for (const hs::RegFileValue& entry : section.values)
      if (!entry.remove) CheckBackupRoundTrip(entry.value, page);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const hs::Windows1252CodePage westernPage;
  static const DoubleByteCodePage doubleBytePage;
  const std::string bytes(hs::fuzz::AsText(data, size));

  const std::size_t intact = hs::IntactLength(bytes);
  if (intact > bytes.size()) std::abort();
  if (intact < bytes.size()) {
    hs::RegFile intactFile;
    hs::RegFileError error;
    hs::ParseRegFile(bytes.substr(0, intact), westernPage, intactFile, error);
  }

  CheckInPage(bytes, westernPage);
  CheckInPage(bytes, doubleBytePage);
  return 0;
}
