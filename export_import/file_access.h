// The file operations a contact file needs, and nothing more. Plain C++: the
// program gives it a Windows file (win32_file.h); anything else that behaves
// like a file, a disk that fills up say, can stand in for one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quillmere {

class FileAccess {
 public:
  virtual ~FileAccess() = default;

  // The current size of the file, or nothing when it cannot be told.
  virtual std::optional<std::uint64_t> Size() = 0;
  // Moves the file position to `offset` bytes from the start.
  virtual bool Seek(std::uint64_t offset) = 0;
  // Reads up to `buffer.size()` bytes at the position; answers how many arrived.
  virtual std::size_t Read(std::span<std::byte> buffer) = 0;
  // Writes `bytes` at the position; true only when every byte was written.
  virtual bool Write(std::span<const std::byte> bytes) = 0;
  // Cuts (or extends) the file to `size` bytes.
  virtual bool Truncate(std::uint64_t size) = 0;
};

}  // namespace quillmere
