// The device store file: changes that last, ids that are never reused, and
// one writer at a time.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "device_store.h"
#include "record_named.h"

namespace device {
namespace {

using contact_core::ContactRecord;
using contact_core::FieldId;
using standin_testing::ScratchFolder;

using standin_testing::RecordNamed;

std::u16string_view LastName(const Entry& entry) { return entry.record.Text(FieldId::LastName); }

class DeviceStoreFile : public ::testing::Test {
 protected:
  ScratchFolder folder_{L"device-store"};
  std::filesystem::path file_ = folder_ / L"contacts.dvc";
};

TEST_F(DeviceStoreFile, ChangesAreThereWhenTheStoreIsOpenedAgain) {
  {
    DeviceStore store(file_, DeviceStore::Access::Change);
    EXPECT_EQ(store.Add(RecordNamed(u"Berg"), {.changed = true}), 1u);
    EXPECT_EQ(store.Add(RecordNamed(u"Lind"), {}), 2u);
    EXPECT_EQ(store.Add(RecordNamed(u"Moe"), {}), 3u);
    store.Put(2, RecordNamed(u"Lindqvist"), {.changed = true});
    store.SetMarks(3, {.deleted = true});
  }
  const DeviceStore store(file_, DeviceStore::Access::Read);
  const auto entries = store.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(LastName(entries[0]), u"Berg");
  EXPECT_EQ(entries[0].marks, (Marks{.changed = true}));
  EXPECT_EQ(LastName(entries[1]), u"Lindqvist");
  EXPECT_EQ(entries[2].marks, (Marks{.deleted = true}));
  EXPECT_EQ(LastName(*store.Find(3)), u"Moe");
  EXPECT_FALSE(store.Find(4));
}

TEST_F(DeviceStoreFile, ARemovedContactsSlotIsReusedButItsIdIsNot) {
  {
    DeviceStore store(file_, DeviceStore::Access::Change);
    store.Add(RecordNamed(u"A"), {});
    store.Add(RecordNamed(u"B"), {});
    store.Add(RecordNamed(u"C"), {});
    store.Remove(2);
    store.Remove(2);  // already gone: nothing to do
    EXPECT_FALSE(store.Find(2));
    EXPECT_EQ(store.Add(RecordNamed(u"D"), {}), 4u);
  }
  const DeviceStore store(file_, DeviceStore::Access::Read);
  const auto entries = store.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[1].objectId, 4u) << "the free slot in the middle was taken";
  EXPECT_EQ(std::filesystem::file_size(file_), kHeaderSize + 3 * kSlotSize);
}

TEST_F(DeviceStoreFile, FreeSlotsAreTakenEarliestFirstWhateverOrderTheyWereFreedIn) {
  DeviceStore store(file_, DeviceStore::Access::Change);
  for (const char16_t* name : {u"A", u"B", u"C", u"D", u"E"}) store.Add(RecordNamed(name), {});
  for (const std::uint32_t objectId : {4u, 2u, 5u}) store.Remove(objectId);
  for (const char16_t* name : {u"F", u"G", u"H", u"I"}) store.Add(RecordNamed(name), {});
  std::vector<std::u16string> order;
  for (const auto& entry : store.Entries()) order.emplace_back(LastName(entry));
  EXPECT_EQ(order, (std::vector<std::u16string>{u"A", u"F", u"C", u"G", u"H", u"I"}));
}

TEST_F(DeviceStoreFile, PutStoresAgainAnIdHandedOutEarlierButRefusesOthers) {
  DeviceStore store(file_, DeviceStore::Access::Change);
  store.Add(RecordNamed(u"A"), {});
  store.Remove(1);
  EXPECT_TRUE(store.HandedOut(1));
  store.Put(1, RecordNamed(u"A again"), {});
  EXPECT_EQ(LastName(*store.Find(1)), u"A again");
  EXPECT_FALSE(store.HandedOut(2));
  EXPECT_THROW(store.Put(2, RecordNamed(u"B"), {}), std::invalid_argument);
  EXPECT_THROW(store.Put(0, RecordNamed(u"B"), {}), std::invalid_argument);
  EXPECT_THROW(store.SetMarks(7, {}), std::invalid_argument);
}

TEST_F(DeviceStoreFile, OnlyOneProgramChangesTheStoreAtATime) {
  const DeviceStore writer(file_, DeviceStore::Access::Change);
  try {
    DeviceStore second(file_, DeviceStore::Access::Change);
    ADD_FAILURE() << "two writers";
  } catch (const StoreError& error) {
    EXPECT_NE(std::string(error.what()).find("in use by another program"), std::string::npos) << error.what();
  }
  EXPECT_THROW(DeviceStore(file_, DeviceStore::Access::Read), StoreError) << "a reader could see half a change";
}

TEST_F(DeviceStoreFile, AStoreOpenedForReadingRefusesChanges) {
  { DeviceStore create(file_, DeviceStore::Access::Change); }
  DeviceStore store(file_, DeviceStore::Access::Read);
  EXPECT_THROW(store.Add(RecordNamed(u"A"), {}), std::logic_error);
}

TEST_F(DeviceStoreFile, SaysWhyAStoreCannotBeOpened) {
  try {
    DeviceStore missing(file_, DeviceStore::Access::Read);
    ADD_FAILURE() << "opened a missing store";
  } catch (const StoreError& error) {
    EXPECT_NE(std::string(error.what()).find("there is no device store at"), std::string::npos) << error.what();
  }
  std::ofstream(file_, std::ios::binary) << "not a store at all";
  for (const auto access : {DeviceStore::Access::Read, DeviceStore::Access::Change}) {
    try {
      DeviceStore damaged(file_, access);
      ADD_FAILURE() << "opened a damaged store";
    } catch (const StoreError& error) {
      EXPECT_NE(std::string(error.what()).find("contacts.dvc: this is not a device contact store"), std::string::npos)
          << error.what();
    }
  }
  EXPECT_EQ(std::filesystem::file_size(file_), 18u) << "a damaged store is left as it was";
}

}  // namespace
}  // namespace device
