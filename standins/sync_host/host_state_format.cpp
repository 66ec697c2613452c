#include "host_state_format.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace sync_host {
namespace {

constexpr std::byte kSignature[4] = {std::byte{'S'}, std::byte{'H'}, std::byte{'S'}, std::byte{'T'}};
constexpr std::uint32_t kVersion = 2;

class Writer {
 public:
  void U32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
  }
  void U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value));
    U32(static_cast<std::uint32_t>(value >> 32));
  }
  void Block(const Bytes& block) {
    U32(static_cast<std::uint32_t>(block.size()));
    bytes_.insert(bytes_.end(), block.begin(), block.end());
  }
  void Raw(std::span<const std::byte> raw) { bytes_.insert(bytes_.end(), raw.begin(), raw.end()); }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::byte> bytes) : rest_(bytes) {}
  std::span<const std::byte> Take(std::size_t count) {
    if (count > rest_.size()) throw StateFormatError("the host state file ends early");
    const auto taken = rest_.first(count);
    rest_ = rest_.subspan(count);
    return taken;
  }
  std::uint32_t U32() {
    const auto in = Take(4);
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(in[i]) << (8 * i);
    return value;
  }
  std::uint64_t U64() {
    const std::uint64_t low = U32();
    return low | std::uint64_t{U32()} << 32;
  }
  Bytes Block() {
    const auto block = Take(U32());
    return Bytes(block.begin(), block.end());
  }
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::span<const std::byte> rest_;
};

}  // namespace

Bytes EncodeHostState(const HostState& state) {
  Writer out;
  out.Raw(kSignature);
  out.U32(kVersion);
  out.Block(state.storeId);
  out.U32(state.deviceIdentity);
  out.Block(state.folder);
  out.U32(static_cast<std::uint32_t>(state.pairs.size()));
  for (const Pair& pair : state.pairs) {
    out.U32(pair.objectId);
    out.U64(pair.digest);
    out.Block(pair.desktopItem);
  }
  out.U32(static_cast<std::uint32_t>(state.temporaries.size()));
  for (const Bytes& temporary : state.temporaries) out.Block(temporary);
  out.U32(static_cast<std::uint32_t>(state.pending.size()));
  for (const std::uint64_t digest : state.pending) out.U64(digest);
  return out.Take();
}

HostState DecodeHostState(std::span<const std::byte> bytes) {
  Reader in(bytes);
  const auto signature = in.Take(std::min<std::size_t>(4, bytes.size()));
  if (!std::equal(signature.begin(), signature.end(), std::begin(kSignature), std::end(kSignature))) {
    throw StateFormatError("this is not a host state file");
  }
  if (const std::uint32_t version = in.U32(); version != kVersion) {
    throw StateFormatError("the host state file has version " + std::to_string(version) + "; only version " +
                           std::to_string(kVersion) + " is known");
  }
  HostState state;
  state.storeId = in.Block();
  state.deviceIdentity = in.U32();
  state.folder = in.Block();
  std::unordered_set<std::uint32_t> paired;
  for (std::uint32_t count = in.U32(); count > 0; --count) {
    Pair pair;
    pair.objectId = in.U32();
    pair.digest = in.U64();
    pair.desktopItem = in.Block();
    if (!paired.insert(pair.objectId).second) {
      throw StateFormatError("the host state file pairs device contact " + std::to_string(pair.objectId) + " twice");
    }
    state.pairs.push_back(std::move(pair));
  }
  for (std::uint32_t count = in.U32(); count > 0; --count) state.temporaries.push_back(in.Block());
  for (std::uint32_t count = in.U32(); count > 0; --count) state.pending.push_back(in.U64());
  if (!in.AtEnd()) throw StateFormatError("the host state file has bytes after its end");
  return state;
}

}  // namespace sync_host
