#include "offline/posix/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace hs::offline {

MappedFile::MappedFile(MappedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedFile::~MappedFile() {
  release();
}

void MappedFile::release() {
  if (data_ && size_) munmap(const_cast<std::uint8_t*>(data_), size_);
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  data_ = nullptr;
  size_ = 0;
}

std::optional<MappedFile> MappedFile::Map(int fd, std::string& error) {
  MappedFile file;
  file.fd_ = fd;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = "not a regular file";
    return std::nullopt;
  }
  file.size_ = static_cast<std::size_t>(info.st_size);
  if (file.size_ == 0) return file;
  void* data = mmap(nullptr, file.size_, PROT_READ, MAP_SHARED, fd, 0);
  if (data == MAP_FAILED) {
    error = std::strerror(errno);
    file.size_ = 0;
    return std::nullopt;
  }
  file.data_ = static_cast<const std::uint8_t*>(data);
  return file;
}

std::optional<MappedFile> MappedFile::Open(const std::string& path, std::string& error) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  return Map(fd, error);
}

std::optional<MappedFile> MappedFile::FromBytes(std::vector<std::uint8_t>&& bytes,
                                                std::string& error) {
  const int fd = memfd_create("hive", MFD_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return std::nullopt;
  }
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      error = std::strerror(errno);
      close(fd);
      return std::nullopt;
    }
    done += static_cast<std::size_t>(n);
  }
  std::vector<std::uint8_t>().swap(bytes);
  return Map(fd, error);
}

void MappedFile::dropResidentPages() const {
  // Only the mapping's page table entries go: the mapping is shared and
  // read-only, so nothing of the file's content can be lost.
  if (data_ && size_) madvise(const_cast<std::uint8_t*>(data_), size_, MADV_DONTNEED);
}

std::string MappedFile::procPath() const {
  return "/proc/self/fd/" + std::to_string(fd_);
}

}  // namespace hs::offline
