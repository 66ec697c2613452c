// What the host keeps between two connections with the desktop store: the
// store identifier it partnered with, the persisted folder handle, and for
// every contact on the device the persisted handle of its desktop contact.
// Handles are kept exactly as the provider's ObjectToBytes wrote them.
//
//   "SHST", version (u32) 1,
//   store identifier:   length (u32), bytes
//   folder handle:      length (u32), bytes (length 0: none yet)
//   pairs:              count (u32), then each: device object id (u32),
//                       handle length (u32), handle bytes
//   temporary contacts: count (u32), then each: handle length (u32), bytes
//   pending:            count (u32), then each: device object id (u32)
//
// Temporary contacts are the device versions that a conflict put into the
// desktop store to be described; a host that stopped before it removed them
// removes them first thing next time. A pending device contact is one whose
// version was being put there when the host last saved its state: if the
// host stopped before it learnt the new contact's handle, the next
// connection finds that contact by its content and removes it.
// Little-endian. Plain C++ over bytes, with no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace sync_host {

using Bytes = std::vector<std::byte>;

struct Pair {
  std::uint32_t objectId = 0;
  Bytes desktopItem;
  bool operator==(const Pair&) const = default;
};

struct HostState {
  Bytes storeId;
  Bytes folder;
  std::vector<Pair> pairs;
  std::vector<Bytes> temporaries;
  std::vector<std::uint32_t> pending;
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
