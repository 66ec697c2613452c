// A contact file in memory, for tests and the benchmark. It can behave like
// a file on a disk that holds `capacity` bytes at the most (a write past that
// point stores what fits and fails, as on a full disk), fail one chosen
// write, fail to tell its size, or claim a size it does not hold.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "file_access.h"

namespace quillmere::testing {

class MemoryFile final : public FileAccess {
 public:
  MemoryFile() = default;
  explicit MemoryFile(std::vector<std::byte> contents) : bytes(std::move(contents)) {}

  std::vector<std::byte> bytes;
  std::uint64_t capacity = std::numeric_limits<std::uint64_t>::max();
  int failingWrite = 0;  // 1 = the next write fails; 0 = none
  bool failSize = false;
  std::optional<std::uint64_t> claimedSize;

  std::optional<std::uint64_t> Size() override {
    if (failSize) return std::nullopt;
    return claimedSize ? *claimedSize : bytes.size();
  }
  bool Seek(std::uint64_t offset) override {
    position_ = offset;
    return true;
  }
  std::size_t Read(std::span<std::byte> buffer) override {
    if (position_ >= bytes.size()) return 0;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), bytes.size() - position_));
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(position_), count, buffer.begin());
    position_ += count;
    return count;
  }
  bool Write(std::span<const std::byte> data) override {
    if (failingWrite > 0 && --failingWrite == 0) return false;
    const std::uint64_t room = capacity > position_ ? capacity - position_ : 0;
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), room));
    if (position_ + count > bytes.size()) bytes.resize(static_cast<std::size_t>(position_ + count));
    std::copy_n(data.begin(), count, bytes.begin() + static_cast<std::ptrdiff_t>(position_));
    position_ += count;
    return count == data.size();
  }
  bool Truncate(std::uint64_t size) override {
    bytes.resize(static_cast<std::size_t>(size));
    return true;
  }

 private:
  std::uint64_t position_ = 0;
};

}  // namespace quillmere::testing
