#pragma once
// A file mapped read-only into memory, or a private in-memory file (memfd)
// holding bytes made here (a replayed hive). Both can be handed on by name
// (/proc/self/fd/N) to a library that opens files itself.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hs::offline {

class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // Opened with O_RDONLY and never anything else. Nothing, with `error`
  // set, when it cannot be opened or read.
  static std::optional<MappedFile> Open(const std::string& path, std::string& error);
  // The bytes move into an anonymous memory file; the vector is emptied.
  static std::optional<MappedFile> FromBytes(std::vector<std::uint8_t>&& bytes, std::string& error);

  std::span<const std::uint8_t> bytes() const { return {data_, size_}; }
  // Lets go of the pages read so far; they are read again when touched.
  // The bytes stay as they are (the file or memory file holds them).
  void dropResidentPages() const;
  // A name under which the same file opens again while this object lives.
  std::string procPath() const;

 private:
  static std::optional<MappedFile> Map(int fd, std::string& error);
  void release();

  int fd_ = -1;
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace hs::offline
