#include "bench/BenchWorld.h"

#include <time.h>

#include "common/Text.h"

namespace hs::bench {

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::string ProductFolder(int vendor, int product) {
  return "C:\\Program Files\\Vendor" + std::to_string(vendor) + "\\Product" +
         std::to_string(product);
}

RegValue StringValue(const std::string& name, const std::string& text, std::uint32_t type) {
  return RegValue{name, type, Utf16LeBytes(Utf8ToUtf16(text))};
}

std::string PathLikeText(std::mt19937& random) {
  const int vendor = static_cast<int>(random() % kVendors);
  const int product = static_cast<int>(random() % kProducts);
  const std::string folder = ProductFolder(vendor, product);
  const int k = static_cast<int>(random() % 6);
  switch (random() % 8) {
    case 0:
      return folder + "\\app.exe";
    case 1:
      return "\"" + folder + "\\app.exe\" /min";
    case 2:
      return folder + "\\lib" + std::to_string(k) + ".dll";
    case 3:
      return folder + "\\gone" + std::to_string(k) + ".dll";
    case 4:
      return "C:\\Program Files\\Old" + std::to_string(vendor) + "\\Product" +
             std::to_string(product) + "\\old.exe";
    case 5:
      return "%SystemRoot%\\System32\\sys" + std::to_string(random() % 700) + ".dll";
    case 6:
      return folder + "\\";
    default:
      return folder + "\\app.exe -embedding";
  }
}

namespace {

RegValue OtherValue(std::mt19937& random, const std::string& name) {
  const auto n = static_cast<std::uint32_t>(random() % 100000);
  switch (random() % 4) {
    case 0:
      return StringValue(name, "Some setting " + std::to_string(n));
    case 1:
      return StringValue(name, "1.2.3." + std::to_string(n));
    case 2:
      return RegValue{name, kRegDword, {static_cast<std::uint8_t>(n), 0, 0, 0}};
    default:
      return RegValue{name, kRegBinary, {1, 2, 3, 4, 5, 6, 7, 8}};
  }
}

}  // namespace

void AddFiles(MemoryFileSystem& files) {
  files.setEnvironment("SystemRoot", "C:\\Windows");
  for (int dll = 0; dll < 500; ++dll)
    files.addFile("C:\\Windows\\System32\\sys" + std::to_string(dll) + ".dll");
  for (int vendor = 0; vendor < kVendors; ++vendor)
    for (int product = 0; product < kProducts; ++product) {
      const std::string folder = ProductFolder(vendor, product);
      files.addFile(folder + "\\app.exe");
      for (int lib = 0; lib < 5; ++lib)
        files.addFile(folder + "\\lib" + std::to_string(lib) + ".dll");
    }
}

void AddTree(MemoryRegistry& registry, RootKey root, const std::string& top, int keysWanted,
             std::mt19937& random) {
  int made = 0;
  for (int a = 0; made < keysWanted; ++a)
    for (int b = 0; b < 20 && made < keysWanted; ++b)
      for (int c = 0; c < 50 && made < keysWanted; ++c, ++made) {
        const std::string path =
            top + "\\A" + std::to_string(a) + "\\B" + std::to_string(b) + "\\C" + std::to_string(c);
        RegKeyPtr key;
        registry.openKey(root, nullptr, path, RegAccess::All, true, key);
        for (int v = 0; v < 5; ++v) {
          const std::string name = "Value" + std::to_string(v);
          registry.setValue(*key, random() % 3 == 0 ? StringValue(name, PathLikeText(random))
                                                    : OtherValue(random, name));
        }
      }
}

}  // namespace hs::bench
