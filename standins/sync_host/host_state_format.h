// What the host keeps between two connections with the desktop store: the
// store identifier and the device identity it partnered with, the persisted
// folder handle, and for every contact on the device the persisted handle of
// its desktop contact with a digest of the content last carried between
// them. Handles are kept exactly as the provider's ObjectToBytes wrote them.
//
//   "SHST", version (u32) 2,
//   store identifier:   length (u32), bytes
//   device identity:    u32 (0: not known)
//   folder handle:      length (u32), bytes (length 0: none yet)
//   pairs:              count (u32), then each: device object id (u32),
//                       content digest (u64, 0: not known),
//                       handle length (u32), handle bytes
//   temporary contacts: count (u32), then each: handle length (u32), bytes
//   pending:            count (u32), then each: content digest (u64)
//
// The digest lets the host find a desktop contact again when the desktop
// gave it a new handle (re-created, restored, imported again) without
// changing it. Temporary contacts are the device versions that a conflict
// put into the desktop store to be described; a host that stopped before it
// removed them removes them first thing next time. A pending digest is the
// content of a version that was being put there when the host last saved its
// state: if the host stopped before it learnt the new contact's handle, the
// next connection finds that contact by its content and removes it.
// Little-endian. Plain C++ over bytes, with no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace sync_host {

using Bytes = std::vector<std::byte>;

inline constexpr std::uint32_t kUnknownDevice = 0;
inline constexpr std::uint64_t kUnknownDigest = 0;

struct Pair {
  std::uint32_t objectId = 0;
  Bytes desktopItem;
  std::uint64_t digest = kUnknownDigest;
  bool operator==(const Pair&) const = default;
};

struct HostState {
  Bytes storeId;
  std::uint32_t deviceIdentity = kUnknownDevice;
  Bytes folder;
  std::vector<Pair> pairs;
  std::vector<Bytes> temporaries;
  std::vector<std::uint64_t> pending;
  bool operator==(const HostState&) const = default;
};

class StateFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Bytes EncodeHostState(const HostState& state);
// Refuses (StateFormatError) a wrong signature or version, a length that
// runs past the end, bytes left over, and a device object id paired twice.
HostState DecodeHostState(std::span<const std::byte> bytes);

}  // namespace sync_host
