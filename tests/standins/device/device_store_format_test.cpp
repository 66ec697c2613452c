// The device store's bytes: the layout that DeviceTool and SyncHost share,
// and the stores it refuses.
#include <gtest/gtest.h>

#include <string>

#include "device_store_format.h"
#include "record_named.h"

namespace device {
namespace {

using contact_core::ContactRecord;
using contact_core::FieldId;

using standin_testing::RecordNamed;

StoreImage ThreeSlots() {
  StoreImage image;
  image.nextObjectId = 8;
  image.slots = {{3, {.changed = true}, RecordNamed(u"Berg")}, {}, {7, {.deleted = true}, RecordNamed(u"Ødegård")}};
  return image;
}

std::uint32_t U32At(const std::vector<std::byte>& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return value;
}

void SetU32At(std::vector<std::byte>& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
}

TEST(DeviceStoreFormat, LaysOutHeaderAndSlotsLittleEndian) {
  const auto bytes = EncodeStore(ThreeSlots());
  ASSERT_EQ(bytes.size(), 16u + 3 * 3848u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 4), "DVCS");
  EXPECT_EQ(U32At(bytes, 4), 1u) << "version";
  EXPECT_EQ(U32At(bytes, 8), 8u) << "next object id";
  EXPECT_EQ(U32At(bytes, 12), 0u);
  EXPECT_EQ(U32At(bytes, 16), 3u) << "first slot's object id";
  EXPECT_EQ(U32At(bytes, 20), 1u) << "changed";
  // The record follows at byte 24; its LastName at byte 256 of the record.
  EXPECT_EQ(bytes[24 + 256], std::byte{'B'});
  EXPECT_EQ(bytes[24 + 257], std::byte{0});
  EXPECT_EQ(U32At(bytes, 16 + 3848), 0u) << "a free slot";
  EXPECT_EQ(U32At(bytes, 16 + 2 * 3848 + 4), 2u) << "deleted";
}

TEST(DeviceStoreFormat, ReadsBackWhatItWrote) {
  const StoreImage image = ThreeSlots();
  const StoreImage read = DecodeStore(EncodeStore(image));
  EXPECT_EQ(read.nextObjectId, 8u);
  ASSERT_EQ(read.slots.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(read.slots[i].objectId, image.slots[i].objectId);
    EXPECT_EQ(read.slots[i].marks, image.slots[i].marks);
    EXPECT_EQ(read.slots[i].record, image.slots[i].record);
  }
}

TEST(DeviceStoreFormat, AnEmptyStoreIsItsHeader) {
  const auto bytes = EncodeStore({});
  EXPECT_EQ(bytes.size(), kHeaderSize);
  EXPECT_TRUE(DecodeStore(bytes).slots.empty());
}

TEST(DeviceStoreFormat, RefusesStoresThatBreakTheFormat) {
  struct Case {
    const char* name;
    void (*breakIt)(std::vector<std::byte>&);
    const char* says;
  };
  const Case cases[] = {
      {"empty file", [](std::vector<std::byte>& b) { b.clear(); }, "not a device contact store"},
      {"wrong signature", [](std::vector<std::byte>& b) { b[0] = std::byte{'X'}; }, "not a device contact store"},
      {"newer version", [](std::vector<std::byte>& b) { SetU32At(b, 4, 2); }, "version 2"},
      {"one byte short", [](std::vector<std::byte>& b) { b.pop_back(); }, "ends inside a contact"},
      {"one byte over", [](std::vector<std::byte>& b) { b.push_back(std::byte{0}); }, "ends inside a contact"},
      {"next id zero", [](std::vector<std::byte>& b) { SetU32At(b, 8, 0); }, "next object id is 0"},
      {"unknown mark", [](std::vector<std::byte>& b) { SetU32At(b, 20, 4); }, "unknown marks"},
      {"id not handed out", [](std::vector<std::byte>& b) { SetU32At(b, 16, 8); }, "never handed out"},
      {"repeated id", [](std::vector<std::byte>& b) { SetU32At(b, 16 + 2 * 3848, 3); }, "repeats object id 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bytes = EncodeStore(ThreeSlots());
    c.breakIt(bytes);
    try {
      DecodeStore(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const FormatError& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
  }
}

TEST(DeviceStoreFormat, IgnoresWhatAFreeSlotHolds) {
  auto bytes = EncodeStore(ThreeSlots());
  SetU32At(bytes, 16 + 3848 + 4, 0xFFFFFFFF);
  bytes[16 + 3848 + 8] = std::byte{'x'};
  const StoreImage read = DecodeStore(bytes);
  EXPECT_TRUE(read.slots[1].IsFree());
  EXPECT_EQ(read.slots[1].record, ContactRecord{});
}

}  // namespace
}  // namespace device
