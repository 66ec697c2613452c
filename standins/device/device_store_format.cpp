#include "device_store_format.h"

#include <algorithm>
#include <string>
#include <unordered_set>

namespace device {
namespace {

constexpr std::byte kSignature[4] = {std::byte{'D'}, std::byte{'V'}, std::byte{'C'}, std::byte{'S'}};
constexpr std::uint32_t kChangedBit = 1u << 0;
constexpr std::uint32_t kDeletedBit = 1u << 1;

void PutU32(std::uint32_t value, std::span<std::byte> out) {
  for (std::size_t i = 0; i < 4; ++i) out[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetU32(std::span<const std::byte> in) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(in[i]) << (8 * i);
  return value;
}

std::uint32_t MarkBits(const Marks& marks) {
  return (marks.changed ? kChangedBit : 0) | (marks.deleted ? kDeletedBit : 0);
}

}  // namespace

void EncodeHeader(std::uint32_t nextObjectId, std::uint32_t identity, std::span<std::byte, kHeaderSize> out) {
  std::copy(std::begin(kSignature), std::end(kSignature), out.begin());
  PutU32(kFormatVersion, out.subspan(4));
  PutU32(nextObjectId, out.subspan(8));
  PutU32(identity, out.subspan(12));
}

void EncodeSlot(const Slot& slot, std::span<std::byte, kSlotSize> out) {
  PutU32(slot.objectId, out.subspan(0));
  PutU32(slot.IsFree() ? 0 : MarkBits(slot.marks), out.subspan(4));
  contact_core::ToBytes(slot.record, out.subspan<kSlotHeaderSize, contact_core::CONTACT_RECORD_SIZE>());
}

std::vector<std::byte> EncodeStore(const StoreImage& image) {
  std::vector<std::byte> bytes(SlotOffset(image.slots.size()));
  EncodeHeader(image.nextObjectId, image.identity, std::span(bytes).first<kHeaderSize>());
  for (std::size_t i = 0; i < image.slots.size(); ++i) {
    EncodeSlot(image.slots[i], std::span(bytes).subspan(SlotOffset(i)).first<kSlotSize>());
  }
  return bytes;
}

StoreImage DecodeStore(std::span<const std::byte> bytes) {
  if (bytes.size() < kHeaderSize || !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin())) {
    throw FormatError("this is not a device contact store");
  }
  const std::uint32_t version = GetU32(bytes.subspan(4));
  if (version != kFormatVersion) {
    throw FormatError("the device store has format version " + std::to_string(version) + "; only version " +
                      std::to_string(kFormatVersion) + " is known");
  }
  if ((bytes.size() - kHeaderSize) % kSlotSize != 0) {
    throw FormatError("the device store ends inside a contact (" + std::to_string(bytes.size()) +
                      " bytes is not the header plus whole contacts)");
  }
  StoreImage image;
  image.nextObjectId = GetU32(bytes.subspan(8));
  if (image.nextObjectId == kFreeSlot) throw FormatError("the device store's next object id is 0");
  image.identity = GetU32(bytes.subspan(12));
  const std::size_t slot_count = (bytes.size() - kHeaderSize) / kSlotSize;
  image.slots.resize(slot_count);
  std::unordered_set<std::uint32_t> seen;
  for (std::size_t i = 0; i < slot_count; ++i) {
    const auto in = bytes.subspan(SlotOffset(i)).first<kSlotSize>();
    Slot& slot = image.slots[i];
    slot.objectId = GetU32(in.subspan(0));
    if (slot.IsFree()) continue;
    const std::uint32_t marks = GetU32(in.subspan(4));
    const std::string where = "contact " + std::to_string(i + 1) + " of the device store";
    if ((marks & ~(kChangedBit | kDeletedBit)) != 0) throw FormatError(where + " has unknown marks");
    if (slot.objectId >= image.nextObjectId) throw FormatError(where + " has an object id never handed out");
    if (!seen.insert(slot.objectId).second) throw FormatError(where + " repeats object id " + std::to_string(slot.objectId));
    slot.marks = {.changed = (marks & kChangedBit) != 0, .deleted = (marks & kDeletedBit) != 0};
    slot.record = contact_core::FromBytes(in.subspan<kSlotHeaderSize, contact_core::CONTACT_RECORD_SIZE>());
  }
  return image;
}

}  // namespace device
