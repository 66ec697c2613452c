// The walk over the folder: FindFirstItem, FindNextItem and FindItemClose,
// and how look-ups between two steps move the walk.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repl_objects.h"
#include "store_fixture.h"

namespace pelloquin::test {
namespace {

using test_support::ContactWith;
using test_support::DistributionList;
using EnumerationTest = StoreTest;

outlook_standin::FolderItem Named(const wchar_t* last_name) { return ContactWith({{L"LastName", last_name}}); }

std::vector<std::wstring> EntryIdsOf(const std::vector<HREPLITEM>& items) {
  std::vector<std::wstring> ids;
  for (HREPLITEM item : items) ids.emplace_back(WideOf(ItemOf(item)->m_EntryID));
  return ids;
}

TEST_F(EnumerationTest, YieldsEveryContactWithItsEntryIdAndTime) {
  const auto ids = Seed({Named(L"A"), Named(L"B"), Named(L"C")});
  const auto items = EnumerateAll();
  EXPECT_EQ(EntryIdsOf(items), ids);
  const auto contents = outlook_standin::FolderContents();
  for (std::size_t i = 0; i < items.size(); ++i) EXPECT_EQ(ItemOf(items[i])->m_ModTime, contents[i].lastModificationTime);
}

TEST_F(EnumerationTest, AnEmptyFolderYieldsNothingAndLeavesTheOutputAlone) {
  HREPLITEM item = reinterpret_cast<HREPLITEM>(0x1234);
  BOOL exists = TRUE;
  EXPECT_EQ(store_->FindFirstItem(Folder(), &item, &exists), S_OK);
  EXPECT_FALSE(exists);
  EXPECT_EQ(item, reinterpret_cast<HREPLITEM>(0x1234));
  EXPECT_EQ(store_->FindFirstItem(Folder(), nullptr, &exists), E_INVALIDARG);
}

TEST_F(EnumerationTest, ANewStoreOpensTheFolderForItsFirstWalk) {
  // Reporting an empty folder here would make the service manager believe
  // every desktop contact had been deleted.
  const auto ids = Seed({Named(L"A"), Named(L"B")});
  EXPECT_EQ(EntryIdsOf(EnumerateAll()), ids);
}

TEST_F(EnumerationTest, DistributionListsArePassedOverAndTheWalkGoesToTheEnd) {
  const auto ids = Seed({DistributionList(), Named(L"A"), DistributionList(), DistributionList(), Named(L"D"),
                         DistributionList()});
  EXPECT_EQ(EntryIdsOf(EnumerateAll()), (std::vector<std::wstring>{ids[1], ids[4]}));
}

TEST_F(EnumerationTest, ALookUpOfTheItemJustEnumeratedLetsTheWalkGoOn) {
  const auto ids = Seed({Named(L"A"), Named(L"B"), Named(L"C")});
  HREPLITEM first = nullptr;
  HREPLITEM second = nullptr;
  HREPLITEM third = nullptr;
  BOOL exists = FALSE;
  ASSERT_EQ(store_->FindFirstItem(Folder(), &first, &exists), S_OK);
  Own(first);
  EXPECT_FALSE(store_->IsItemChanged(Folder(), first, nullptr));
  ASSERT_EQ(store_->FindNextItem(Folder(), &second, &exists), S_OK);
  ASSERT_TRUE(exists);
  Own(second);
  EXPECT_EQ(WideOf(ItemOf(second)->m_EntryID), ids[1]);
  EXPECT_EQ(store_->IsValidObject(Folder(), second, 0), S_OK);
  ASSERT_EQ(store_->FindNextItem(Folder(), &third, &exists), S_OK);
  ASSERT_TRUE(exists);
  Own(third);
  EXPECT_EQ(WideOf(ItemOf(third)->m_EntryID), ids[2]);
}

TEST_F(EnumerationTest, ALookUpThatFindsNothingEndsTheWalk) {
  const auto ids = Seed({Named(L"A"), Named(L"B"), Named(L"C")});
  const auto all = EnumerateAll();
  RemoveFromFolder(ids[2]);
  HREPLITEM first = nullptr;
  BOOL exists = FALSE;
  ASSERT_EQ(store_->FindFirstItem(Folder(), &first, &exists), S_OK);
  Own(first);
  EXPECT_EQ(store_->IsValidObject(Folder(), all[2], 0), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  HREPLITEM next = nullptr;
  EXPECT_EQ(store_->FindNextItem(Folder(), &next, &exists), S_OK);
  EXPECT_FALSE(exists);
  EXPECT_EQ(next, nullptr);
}

TEST_F(EnumerationTest, FindItemCloseHandsTheStoresFolderViewToTheHandle) {
  Seed({Named(L"A"), Named(L"B")});
  ReadFolder();
  BOOL changed = FALSE;
  ASSERT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  ASSERT_TRUE(changed);
  EXPECT_EQ(store_->FindItemClose(Folder()), S_OK);
  ASSERT_EQ(store_->IsFolderChanged(Folder(), &changed), S_OK);
  EXPECT_FALSE(changed);
  EXPECT_EQ(store_->FindItemClose(nullptr), S_OK);
}

}  // namespace
}  // namespace pelloquin::test
