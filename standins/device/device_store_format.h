// The simulated device's contact store, as bytes: a 16-byte header and then
// fixed-size slots, one contact each, in the device's own order.
//
//   header, 16 bytes:  "DVCS", version (u32) 1, next object id (u32),
//                      device identity (u32, 0 = none given yet)
//   slot, 3848 bytes:  object id (u32, 0 = free slot), marks (u32: bit 0
//                      changed on the device, bit 1 deleted on the device),
//                      the 3840-byte contact record
//
// All numbers little-endian. Fixed-size slots let every change to one contact
// be a single write in place, so a store interrupted between two changes is
// always whole. The identity is a random number the store takes when it is
// first opened for change; it tells the host that the store at a path is
// still the device it partnered with. Stores written before it existed hold
// 0 there and take one the same way. Plain C++ over bytes, with no Windows
// header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "contact_record.h"

namespace device {

inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kSlotHeaderSize = 8;
inline constexpr std::size_t kSlotSize = kSlotHeaderSize + contact_core::CONTACT_RECORD_SIZE;
inline constexpr std::uint32_t kFormatVersion = 1;
inline constexpr std::uint32_t kFreeSlot = 0;

// What happened to a contact on the device since the host last took it in.
struct Marks {
  bool changed = false;  // added or edited on the device
  bool deleted = false;  // deleted on the device; the slot stays until the host has seen it
  bool operator==(const Marks&) const = default;
};

struct Slot {
  std::uint32_t objectId = kFreeSlot;
  Marks marks;
  contact_core::ContactRecord record;
  bool IsFree() const { return objectId == kFreeSlot; }
};

inline constexpr std::uint32_t kNoIdentity = 0;

struct StoreImage {
  std::uint32_t nextObjectId = 1;
  std::uint32_t identity = kNoIdentity;
  std::vector<Slot> slots;
};

// A store whose bytes break the format; what() says how.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr std::size_t SlotOffset(std::size_t index) { return kHeaderSize + index * kSlotSize; }

void EncodeHeader(std::uint32_t nextObjectId, std::uint32_t identity, std::span<std::byte, kHeaderSize> out);
void EncodeSlot(const Slot& slot, std::span<std::byte, kSlotSize> out);
std::vector<std::byte> EncodeStore(const StoreImage& image);

// Reads a whole store. Refuses (FormatError) a wrong signature or version, a
// size that is not the header plus whole slots, unknown mark bits, and object
// ids that repeat or that the header has not yet handed out.
StoreImage DecodeStore(std::span<const std::byte> bytes);

}  // namespace device
