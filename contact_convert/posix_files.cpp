#include "system_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace contact_convert {

namespace {

class PosixFile final : public quillmere::FileAccess {
 public:
  explicit PosixFile(int descriptor) : descriptor_(descriptor) {}
  ~PosixFile() override { close(descriptor_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  std::optional<std::uint64_t> Size() override {
    struct stat status {};
    if (fstat(descriptor_, &status) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(status.st_size);
  }
  bool Seek(std::uint64_t offset) override {
    position_ = offset;
    return true;
  }
  std::size_t Read(std::span<std::byte> buffer) override {
    std::size_t arrived = 0;
    while (arrived < buffer.size()) {
      const ssize_t count = pread(descriptor_, buffer.data() + arrived, buffer.size() - arrived, Offset(arrived));
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      arrived += static_cast<std::size_t>(count);
    }
    position_ += arrived;
    return arrived;
  }
  bool Write(std::span<const std::byte> bytes) override {
    std::size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t count = pwrite(descriptor_, bytes.data() + written, bytes.size() - written, Offset(written));
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      written += static_cast<std::size_t>(count);
    }
    position_ += written;
    return written == bytes.size();
  }
  bool Truncate(std::uint64_t size) override { return ftruncate(descriptor_, static_cast<off_t>(size)) == 0; }

 private:
  off_t Offset(std::size_t done) const { return static_cast<off_t>(position_ + done); }

  int descriptor_;
  std::uint64_t position_ = 0;
};

std::unique_ptr<quillmere::FileAccess> Open(const std::filesystem::path& path, int flags) {
  const int descriptor = open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (descriptor < 0) return nullptr;
  return std::make_unique<PosixFile>(descriptor);
}

}  // namespace

std::unique_ptr<quillmere::FileAccess> SystemFiles::OpenToRead(const std::filesystem::path& path) {
  return Open(path, O_RDONLY);
}

std::unique_ptr<quillmere::FileAccess> SystemFiles::OpenToAppend(const std::filesystem::path& path) {
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0) return nullptr;
  auto file = std::make_unique<PosixFile>(descriptor);
  // Another converter or program that locks the file would interleave records.
  if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) return nullptr;
  return file;
}

std::unique_ptr<quillmere::FileAccess> SystemFiles::CreateNew(const std::filesystem::path& path) {
  return Open(path, O_RDWR | O_CREAT | O_EXCL);
}

bool SystemFiles::ReplaceWith(const std::filesystem::path& from, const std::filesystem::path& to) {
  const int descriptor = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool synced = fsync(descriptor) == 0;
  close(descriptor);
  return synced && std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace contact_convert
