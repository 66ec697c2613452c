// Item and folder handles: their persisted form through the store, and the
// questions the service manager asks about single items.
#include <windows.h>

#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "repl_objects.h"
#include "store_fixture.h"
#include "sync_selection.h"

namespace pelloquin::test {
namespace {

using test_support::ContactWith;
using ItemTest = StoreTest;

HREPLOBJ AsObject(HREPLITEM item) { return reinterpret_cast<HREPLOBJ>(item); }
HREPLOBJ AsObject(HREPLFLD folder) { return reinterpret_cast<HREPLOBJ>(folder); }
HREPLITEM AsItem(HREPLOBJ object) { return reinterpret_cast<HREPLITEM>(object); }

std::vector<BYTE> BytesOf(IReplStore* store, HREPLOBJ object) {
  std::vector<BYTE> bytes(store->ObjectToBytes(object, nullptr));
  EXPECT_EQ(store->ObjectToBytes(object, bytes.data()), bytes.size());
  return bytes;
}

std::vector<BYTE> ItemBytes(const std::string& entry_id, double time) {
  std::vector<BYTE> bytes(12 + entry_id.size() + 1);
  bytes[0] = 1;
  const auto bits = std::bit_cast<std::uint64_t>(time);
  for (int i = 0; i < 8; ++i) bytes[4 + i] = static_cast<BYTE>(bits >> (8 * i));
  std::memcpy(bytes.data() + 12, entry_id.data(), entry_id.size());
  return bytes;
}

class HandleTest : public ItemTest {
 protected:
  // An item handle as the service manager would restore it.
  HREPLITEM MakeItem(const std::string& entry_id, double time = 1.0) {
    std::vector<BYTE> bytes = ItemBytes(entry_id, time);
    return Own(AsItem(store_->BytesToObject(bytes.data(), static_cast<UINT>(bytes.size()))));
  }
  HREPLFLD MakeFolder() {
    HREPLFLD folder = nullptr;
    IUnknown* handler = nullptr;
    EXPECT_EQ(store_->GetFolderInfo("Contact", &folder, &handler), S_OK);
    return Own(folder);
  }
};

TEST_F(HandleTest, AnItemPersistsAsTagTimeEntryIdAndZero) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}})});
  ASSERT_EQ(ids[0].size(), 48u);
  const HREPLITEM item = ItemFor(ids[0]);
  const std::vector<BYTE> bytes = BytesOf(store_, AsObject(item));
  ASSERT_EQ(bytes.size(), 61u);
  const std::vector<BYTE> expected = ItemBytes(std::string(ids[0].begin(), ids[0].end()),
                                               outlook_standin::FolderContents()[0].lastModificationTime);
  EXPECT_EQ(bytes, expected);

  std::vector<BYTE> copy = bytes;
  const HREPLITEM restored = Own(AsItem(store_->BytesToObject(copy.data(), static_cast<UINT>(copy.size()))));
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(store_->CompareItem(restored, item), 0);
  EXPECT_FALSE(store_->IsItemChanged(Folder(), item, restored));
  EXPECT_FALSE(store_->IsItemChanged(Folder(), restored, nullptr)) << "the restored handle finds its contact";
}

TEST_F(HandleTest, AFolderPersistsAsTagCountAndTime) {
  Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}})});
  ReadFolder();
  ASSERT_EQ(store_->FindItemClose(Folder()), S_OK);
  std::vector<BYTE> bytes = BytesOf(store_, AsObject(Folder()));
  ASSERT_EQ(bytes.size(), 16u);
  EXPECT_EQ(bytes[0], 2);
  EXPECT_EQ(bytes[4], 2) << "two items";
  const HREPLFLD restored =
      Own(reinterpret_cast<HREPLFLD>(store_->BytesToObject(bytes.data(), static_cast<UINT>(bytes.size()))));
  BOOL changed = TRUE;
  EXPECT_EQ(store_->IsFolderChanged(restored, &changed), S_OK);
  EXPECT_FALSE(changed);
}

TEST_F(HandleTest, MalformedBytesGiveNoHandle) {
  std::vector<BYTE> item = ItemBytes("0A", 1.0);
  std::vector<BYTE> unknown = item;
  unknown[0] = 3;
  std::vector<BYTE> unterminated = item;
  unterminated.back() = 'B';
  EXPECT_EQ(store_->BytesToObject(unknown.data(), static_cast<UINT>(unknown.size())), nullptr);
  EXPECT_EQ(store_->BytesToObject(unterminated.data(), static_cast<UINT>(unterminated.size())), nullptr);
  EXPECT_EQ(store_->BytesToObject(item.data(), static_cast<UINT>(item.size() - 1)), nullptr) << "zero beyond cb";
  EXPECT_EQ(store_->BytesToObject(item.data(), 3), nullptr);
  EXPECT_EQ(store_->BytesToObject(nullptr, 16), nullptr);
  EXPECT_EQ(store_->ObjectToBytes(nullptr, nullptr), 0u);
}

TEST_F(HandleTest, AnEmptyEntryIdPersistsAsItsZeroAlone) {
  const HREPLITEM empty = MakeItem("");
  EXPECT_EQ(BytesOf(store_, AsObject(empty)).size(), 13u);
}

TEST_F(HandleTest, CompareItemOrdersEntryIdsByCodeUnits) {
  const struct {
    const char* first;
    const char* second;
    int expected;
  } cases[] = {
      {"0A", "0B", -1}, {"0B", "0A", 1},  {"0A", "0A0", -1}, {"0A0", "0A", 1},
      {"0A", "0A", 0},  {"", "0A", -1},   {"", "", 0},       {"a", "B", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(store_->CompareItem(MakeItem(c.first), MakeItem(c.second)), c.expected) << c.first << " " << c.second;
  }
  const HREPLITEM item = MakeItem("0A");
  EXPECT_EQ(store_->CompareItem(item, item), 0);
  EXPECT_EQ(store_->CompareItem(nullptr, item), -1) << "an absent text sorts first";
}

TEST_F(HandleTest, CopyObjectCopiesBetweenItemsOnly) {
  const HREPLITEM source = MakeItem("0A", 2.0);
  const HREPLITEM destination = MakeItem("0B", 3.0);
  const HREPLFLD folder = MakeFolder();
  const HREPLFLD other_folder = MakeFolder();

  EXPECT_FALSE(store_->CopyObject(AsObject(source), AsObject(folder)));
  EXPECT_FALSE(store_->CopyObject(AsObject(folder), AsObject(destination)));
  EXPECT_EQ(store_->CompareItem(destination, MakeItem("0B")), 0) << "unchanged";
  EXPECT_TRUE(store_->CopyObject(AsObject(folder), AsObject(other_folder)));

  EXPECT_TRUE(store_->CopyObject(AsObject(source), AsObject(destination)));
  EXPECT_EQ(store_->CompareItem(destination, source), 0);
  EXPECT_FALSE(store_->IsItemChanged(Folder(), destination, source));
  EXPECT_EQ(ItemOf(destination)->m_EntryID, ItemOf(source)->m_EntryID) << "the text is shared, not copied";
  EXPECT_FALSE(store_->CopyObject(nullptr, AsObject(destination)));
}

TEST_F(HandleTest, IsItemChangedComparesModificationTimes) {
  const auto ids = Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}})});
  const auto items = EnumerateAll();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_FALSE(store_->IsItemChanged(Folder(), items[1], nullptr));
  EXPECT_TRUE(store_->IsItemChanged(Folder(), items[0], MakeItem("whatever", 12345.0)));

  SetModificationTime(ids[1], outlook_standin::FolderContents()[1].lastModificationTime + 0.5);
  EXPECT_TRUE(store_->IsItemChanged(Folder(), items[1], nullptr));
  EXPECT_FALSE(store_->IsItemChanged(Folder(), items[0], nullptr));

  RemoveFromFolder(ids[1]);
  EXPECT_FALSE(store_->IsItemChanged(Folder(), items[1], nullptr)) << "a deleted contact";
  EXPECT_FALSE(store_->IsItemChanged(Folder(), AsItem(AsObject(Folder())), nullptr)) << "not an item handle";
}

TEST_F(HandleTest, UpdateItemTakesTheTimeFromTheSourceOrFromOutlook) {
  const auto ids = Seed({ContactWith({{L"LastName", L"A"}})});
  const HREPLITEM item = ItemFor(ids[0]);
  const double enumerated = ItemOf(item)->m_ModTime;

  store_->UpdateItem(Folder(), item, MakeItem("other", 99.0));
  EXPECT_EQ(ItemOf(item)->m_ModTime, 99.0);
  EXPECT_EQ(WideOf(ItemOf(item)->m_EntryID), ids[0]) << "only the time is taken";

  store_->UpdateItem(Folder(), item, nullptr);
  EXPECT_EQ(ItemOf(item)->m_ModTime, enumerated);

  RemoveFromFolder(ids[0]);
  store_->UpdateItem(Folder(), item, MakeItem("other", 99.0));
  store_->UpdateItem(Folder(), item, nullptr);
  EXPECT_EQ(ItemOf(item)->m_ModTime, 99.0) << "a deleted contact leaves the handle as it was";
}

TEST_F(HandleTest, IsValidObjectChecksKindsAndThatTheContactExists) {
  const auto ids = Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}})});
  const auto items = EnumerateAll();
  const HRESULT invalid_handle = HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  EXPECT_EQ(store_->IsValidObject(nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(store_->IsValidObject(Folder(), nullptr, 0), S_OK);
  EXPECT_EQ(store_->IsValidObject(nullptr, AsItem(AsObject(Folder())), 0), invalid_handle);
  EXPECT_EQ(store_->IsValidObject(reinterpret_cast<HREPLFLD>(items[0]), items[0], 0), invalid_handle);
  EXPECT_EQ(store_->IsValidObject(Folder(), items[0], 0), S_OK);
  RemoveFromFolder(ids[0]);
  EXPECT_EQ(store_->IsValidObject(Folder(), items[0], 0), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(store_->IsValidObject(Folder(), items[1], 0), S_OK);
}

class SelectionTest : public HandleTest {
 protected:
  void TearDown() override {
    g_SyncSelected = false;
    g_SelectedEntryIDs.clear();
    HandleTest::TearDown();
  }
};

TEST_F(SelectionTest, AllContactsAreReplicatedUntilTheUserSelects) {
  const auto ids = Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}})});
  const auto items = EnumerateAll();
  outlook_standin::ResetCallCounts();
  EXPECT_TRUE(store_->IsItemReplicated(Folder(), items[0]));
  EXPECT_TRUE(store_->IsItemReplicated(Folder(), MakeItem("not in Outlook")));
  EXPECT_EQ(outlook_standin::CallCount(outlook_standin::OutlookCall::GetFirst), 0) << "no look-up needed";

  g_SyncSelected = true;
  EXPECT_FALSE(store_->IsItemReplicated(Folder(), items[0])) << "nothing selected";
  EXPECT_TRUE(store_->IsItemReplicated(Folder(), nullptr));

  g_SelectedEntryIDs = {"unrelated", std::string(ids[1].begin(), ids[1].end())};
  EXPECT_FALSE(store_->IsItemReplicated(Folder(), items[0]));
  EXPECT_TRUE(store_->IsItemReplicated(Folder(), items[1]));

  std::string lower_case(ids[1].begin(), ids[1].end());
  for (char& c : lower_case) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  g_SelectedEntryIDs = {lower_case};
  EXPECT_FALSE(store_->IsItemReplicated(Folder(), items[1])) << "the comparison is exact";

  g_SelectedEntryIDs = {std::string(ids[1].begin(), ids[1].end())};
  RemoveFromFolder(ids[1]);
  EXPECT_FALSE(store_->IsItemReplicated(Folder(), items[1])) << "selected, but gone from Outlook";
}

}  // namespace
}  // namespace pelloquin::test
