#include <gtest/gtest.h>

#include <set>

#include "device_store_format.h"
#include "hostile_bytes.h"

namespace {

using Bytes = std::vector<std::byte>;
using contact_core::FieldId;

device::Slot SlotOf(std::uint32_t objectId, device::Marks marks, std::u16string_view lastName) {
  device::Slot slot;
  slot.objectId = objectId;
  slot.marks = marks;
  slot.record.SetText(FieldId::LastName, lastName);
  return slot;
}

device::StoreImage SampleStore() {
  return {.nextObjectId = 7,
          .identity = 0xC0FFEE42,
          .slots = {SlotOf(1, {}, u"Berg"), device::Slot{}, SlotOf(6, {.changed = true, .deleted = true}, u"\xFFFF"),
                    SlotOf(3, {.deleted = true}, u"")}};
}

void ExpectSameStore(const device::StoreImage& actual, const device::StoreImage& expected) {
  EXPECT_EQ(actual.nextObjectId, expected.nextObjectId);
  EXPECT_EQ(actual.identity, expected.identity);
  ASSERT_EQ(actual.slots.size(), expected.slots.size());
  for (std::size_t i = 0; i < actual.slots.size(); ++i) {
    EXPECT_EQ(actual.slots[i].objectId, expected.slots[i].objectId) << "slot " << i;
    if (expected.slots[i].IsFree()) continue;
    EXPECT_EQ(actual.slots[i].marks, expected.slots[i].marks) << "slot " << i;
    EXPECT_EQ(actual.slots[i].record, expected.slots[i].record) << "slot " << i;
  }
}

std::optional<device::StoreImage> Decode(std::span<const std::byte> bytes) {
  try {
    return device::DecodeStore(bytes);
  } catch (const device::FormatError&) {
    return std::nullopt;
  }
}

// A store that decodes keeps the promises the decoder makes, and the slots in
// use are stored again byte for byte as they were read.
void ExpectDecodeIsConsistent(std::span<const std::byte> bytes) {
  const auto image = Decode(bytes);
  if (!image) return;
  ASSERT_NE(image->nextObjectId, device::kFreeSlot);
  std::set<std::uint32_t> ids;
  for (const device::Slot& slot : image->slots) {
    if (slot.IsFree()) continue;
    EXPECT_LT(slot.objectId, image->nextObjectId);
    EXPECT_TRUE(ids.insert(slot.objectId).second) << "object id " << slot.objectId << " repeats";
  }
  const Bytes again = device::EncodeStore(*image);
  ASSERT_EQ(again.size(), bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + device::kHeaderSize, again.begin()))
      << "signature, version, next id, identity";
  for (std::size_t i = 0; i < image->slots.size(); ++i) {
    if (image->slots[i].IsFree()) continue;
    const auto offset = static_cast<std::ptrdiff_t>(device::SlotOffset(i));
    EXPECT_TRUE(std::equal(bytes.begin() + offset, bytes.begin() + offset + device::kSlotSize, again.begin() + offset))
        << "slot " << i;
  }
}

TEST(DeviceStoreRobustness, StoresRoundTrip) {
  for (const device::StoreImage& image : {device::StoreImage{}, SampleStore()}) {
    const Bytes bytes = device::EncodeStore(image);
    ExpectSameStore(device::DecodeStore(bytes), image);
    EXPECT_EQ(device::EncodeStore(device::DecodeStore(bytes)), bytes);
  }
}

TEST(DeviceStoreRobustness, ATruncationDecodesOnlyAtASlotBoundary) {
  const device::StoreImage image = SampleStore();
  const Bytes valid = device::EncodeStore(image);
  native_tests::ForEachTruncation(valid, [&](std::span<const std::byte> prefix, std::size_t length) {
    const auto decoded = Decode(prefix);
    const bool boundary = length >= device::kHeaderSize && (length - device::kHeaderSize) % device::kSlotSize == 0;
    ASSERT_EQ(decoded.has_value(), boundary) << length << " bytes";
    if (!decoded) return;
    device::StoreImage first = image;
    first.slots.resize((length - device::kHeaderSize) / device::kSlotSize);
    ExpectSameStore(*decoded, first);
  });
}

TEST(DeviceStoreRobustness, DamagedStoresAreRefusedOrDecodeConsistently) {
  const Bytes valid = device::EncodeStore(SampleStore());
  const auto check = [](std::span<const std::byte> bytes, std::size_t) { ExpectDecodeIsConsistent(bytes); };
  native_tests::ForEachSingleByteMutation(valid, 0, device::kHeaderSize, check);
  for (std::size_t slot = 0; slot < SampleStore().slots.size(); ++slot) {
    native_tests::ForEachSingleByteMutation(valid, device::SlotOffset(slot), device::SlotOffset(slot) + device::kSlotHeaderSize + 4, check);
  }
  native_tests::ForEachRandomMutation(valid, native_tests::kMutationSeed, native_tests::kRandomMutations,
                                      [](std::span<const std::byte> bytes) { ExpectDecodeIsConsistent(bytes); });
}

TEST(DeviceStoreRobustness, HostileStores) {
  const auto store_with = [](std::uint32_t nextObjectId, std::vector<std::pair<std::uint32_t, std::uint32_t>> slots) {
    Bytes bytes(device::SlotOffset(slots.size()));
    device::EncodeHeader(nextObjectId, 0x5EED1D, std::span(bytes).first<device::kHeaderSize>());
    for (std::size_t i = 0; i < slots.size(); ++i) {
      const auto [id, marks] = slots[i];
      for (std::size_t b = 0; b < 4; ++b) {
        bytes[device::SlotOffset(i) + b] = static_cast<std::byte>(id >> (8 * b));
        bytes[device::SlotOffset(i) + 4 + b] = static_cast<std::byte>(marks >> (8 * b));
      }
    }
    return bytes;
  };
  Bytes other_version = store_with(2, {});
  other_version[4] = std::byte{2};
  Bytes other_signature = store_with(2, {});
  other_signature[3] = std::byte{'T'};
  Bytes ragged = store_with(2, {{1, 0}});
  ragged.pop_back();

  struct Case {
    const char* what;
    Bytes bytes;
    bool valid;
  };
  const Case cases[] = {
      {"nothing", {}, false},
      {"signature only", Bytes{std::byte{'D'}, std::byte{'V'}, std::byte{'C'}, std::byte{'S'}}, false},
      {"another version", other_version, false},
      {"another signature", other_signature, false},
      {"ends inside a contact", ragged, false},
      {"next object id 0", store_with(0, {}), false},
      {"object id not yet handed out", store_with(2, {{2, 0}}), false},
      {"largest object id not yet handed out", store_with(0xFFFFFFFF, {{0xFFFFFFFF, 0}}), false},
      {"object id repeated", store_with(3, {{1, 0}, {2, 0}, {1, 0}}), false},
      {"unknown mark", store_with(2, {{1, 4}}), false},
      {"top mark bit", store_with(2, {{1, 0x80000000}}), false},
      {"both marks, largest id", store_with(0xFFFFFFFF, {{0xFFFFFFFE, 3}}), true},
      {"free slots only", store_with(1, {{0, 0}, {0, 0}}), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.bytes).has_value(), c.valid) << c.what;
    ExpectDecodeIsConsistent(c.bytes);
  }
}

}  // namespace
