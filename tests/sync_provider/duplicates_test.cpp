// Duplicate contacts: IsDuplicate on its own, RemoveDuplicates on small
// folders, against the reference scan on many random folders, and the number
// of Outlook calls it makes on a large one.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "contact_mapping.h"
#include "restarting_duplicate_scan.h"
#include "store.h"
#include "store_fixture.h"

namespace pelloquin::test {
namespace {

using outlook_standin::CallCount;
using outlook_standin::FolderItem;
using outlook_standin::OutlookCall;
using test_support::ContactWith;
using test_support::DistributionList;

FolderItem Named(const wchar_t* last_name) {
  return ContactWith({{L"LastName", last_name}, {L"CompanyName", L"Lund AB"}});
}

std::vector<std::wstring> EntryIdsNow() {
  std::vector<std::wstring> entry_ids;
  for (const FolderItem& item : outlook_standin::FolderContents()) entry_ids.push_back(item.entryId);
  return entry_ids;
}

std::vector<std::wstring> Pick(const std::vector<std::wstring>& entry_ids, const std::vector<std::size_t>& indexes) {
  std::vector<std::wstring> picked;
  for (const std::size_t index : indexes) picked.push_back(entry_ids[index]);
  return picked;
}

class DuplicateTest : public StoreTest {
 protected:
  CStore& Store() { return *static_cast<CStore*>(store_.GetInterfacePtr()); }
  contact_core::OutlookSession& Session() { return Store().Session(); }

  // The contact at `position` of the store's walk.
  IDispatchPtr ContactAt(long position) {
    IDispatchPtr contact = Session().FirstContact();
    for (long step = 0; step < position && contact; ++step) contact = Session().NextContact();
    return contact;
  }
};

TEST_F(DuplicateTest, IsDuplicateLooksOnlyFurtherDownAndPastItemsThatAreNotContacts) {
  struct Case {
    const char* name;
    std::vector<FolderItem> folder;
    long position;
    bool duplicate;
  };
  const Case cases[] = {
      {"an equal one later", {Named(L"A"), Named(L"B"), Named(L"A")}, 0, true},
      {"no equal one", {Named(L"A"), Named(L"B"), Named(L"A")}, 1, false},
      {"the last contact", {Named(L"A"), Named(L"B"), Named(L"A")}, 2, false},
      {"a one-contact folder", {Named(L"A")}, 0, false},
      {"an equal one only before", {Named(L"A"), Named(L"A"), Named(L"B")}, 1, false},
      {"an equal one behind a distribution list", {Named(L"A"), DistributionList(), Named(L"A")}, 0, true},
      {"the contact behind a distribution list", {Named(L"A"), DistributionList(), Named(L"B"), Named(L"B")}, 1, true},
      {"letter case counts", {Named(L"A"), Named(L"a")}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Seed(c.folder);
    ReadFolder();
    TraceRecorder traces;
    EXPECT_EQ(Store().IsDuplicate(ContactAt(c.position), c.position), c.duplicate);
    EXPECT_EQ(traces.Take(), std::vector<std::string>{c.duplicate ? "CStore::IsDuplicate return true"
                                                                   : "CStore::IsDuplicate return false"});
  }
}

TEST_F(DuplicateTest, IsDuplicateLeavesTheCallersWalkWhereItWas) {
  const auto ids = Seed({Named(L"A"), Named(L"B"), Named(L"A"), Named(L"C")});
  ReadFolder();
  const IDispatchPtr first = Session().FirstContact();
  const IDispatchPtr second = Session().NextContact();
  EXPECT_TRUE(Store().IsDuplicate(first, 0));
  EXPECT_FALSE(Store().IsDuplicate(second, 1));
  const IDispatchPtr third = Session().NextContact();
  ASSERT_TRUE(third);
  EXPECT_EQ(std::wstring(contact_core::ReadContactProperty(third, contact_core::FieldId::EntryID)), ids[2]);
  EXPECT_EQ(std::wstring(contact_core::ReadContactProperty(first, contact_core::FieldId::LastName)), L"A")
      << "the caller's reference stays usable";
}

TEST_F(DuplicateTest, IsDuplicateOfNothingOrWithoutAnOpenCollectionIsFalse) {
  Seed({Named(L"A"), Named(L"A")});
  EXPECT_FALSE(Store().IsDuplicate(nullptr, 0));
  contact_core::OutlookSession elsewhere;
  elsewhere.OpenContacts();
  const IDispatchPtr first = elsewhere.FirstContact();
  ASSERT_TRUE(first);
  EXPECT_FALSE(Store().IsDuplicate(first, 0)) << "nothing has opened the store's collection";
}

TEST_F(DuplicateTest, RemoveDuplicatesKeepsTheLastOfEachGroupInOrder) {
  struct Case {
    const char* name;
    std::vector<FolderItem> folder;
    std::vector<std::size_t> survivors;
  };
  const Case cases[] = {
      {"an empty folder", {}, {}},
      {"A, B, A', A''", {Named(L"A"), Named(L"B"), Named(L"A"), Named(L"A")}, {1, 3}},
      {"B, C, C'", {Named(L"B"), Named(L"C"), Named(L"C")}, {0, 2}},
      {"no duplicates", {Named(L"A"), Named(L"B")}, {0, 1}},
      {"two groups interleaved", {Named(L"A"), Named(L"B"), Named(L"A"), Named(L"B"), Named(L"C")}, {2, 3, 4}},
      {"duplicates behind a distribution list",
       {Named(L"A"), Named(L"A"), DistributionList(), Named(L"A"), Named(L"B"), Named(L"B")},
       {2, 3, 5}},
      {"only a distribution list", {DistributionList()}, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto ids = Seed(c.folder);
    ReadFolder();
    TraceRecorder traces;
    EXPECT_EQ(store_->RemoveDuplicates("Contact", 0), S_OK);
    EXPECT_EQ(EntryIdsNow(), Pick(ids, c.survivors));
    EXPECT_EQ(traces.Take().at(0), "CStore::RemoveDuplicates");
  }
}

TEST_F(DuplicateTest, RemoveDuplicatesReadsTheFolderEvenBeforeAnythingElseDid) {
  const auto ids = Seed({Named(L"A"), Named(L"A")});
  EXPECT_EQ(store_->RemoveDuplicates("Contact", 0), S_OK);
  EXPECT_EQ(EntryIdsNow(), Pick(ids, {1}));
}

TEST_F(DuplicateTest, AfterRemovalTheEnumerationShowsTheSurvivors) {
  const auto ids = Seed({Named(L"A"), Named(L"B"), Named(L"A")});
  ReadFolder();
  ASSERT_EQ(EnumerateAll().size(), 3u);
  ASSERT_EQ(store_->RemoveDuplicates("Contact", 0), S_OK);
  std::vector<std::wstring> enumerated;
  for (HREPLITEM item : EnumerateAll()) enumerated.emplace_back(WideOf(ItemOf(item)->m_EntryID));
  EXPECT_EQ(enumerated, Pick(ids, {1, 2}));
}

TEST_F(DuplicateTest, RemoveDuplicatesWaitsForTheStoreLockAndThenDeletesNothing) {
  const auto ids = Seed({Named(L"A"), Named(L"A")});
  ReadFolder();
  {
    const LockHeldElsewhere held;
    EXPECT_EQ(store_->RemoveDuplicates("Contact", 0), HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  }
  EXPECT_EQ(EntryIdsNow(), ids);
}

// Random folders of contacts built from a few originals: exact copies, and
// near copies that differ in one property by value, by letter case only, or
// by absent against empty; now and then a distribution list.
class RandomFolders {
 public:
  explicit RandomFolders(unsigned seed) : random_(seed) {}

  std::vector<FolderItem> Next() {
    std::vector<FolderItem> folder;
    const int size = Below(11);
    for (int index = 0; index < size; ++index) {
      const int kind = Below(100);
      std::vector<const FolderItem*> contacts;
      for (const FolderItem& item : folder) {
        if (item.kind == outlook_standin::ItemKind::Contact) contacts.push_back(&item);
      }
      if (kind < 6) {
        folder.push_back(DistributionList());
      } else if (kind < 50 && !contacts.empty()) {
        folder.push_back(Copy(*contacts[Below(static_cast<int>(contacts.size()))]));
      } else if (kind < 75 && !contacts.empty()) {
        folder.push_back(NearCopy(*contacts[Below(static_cast<int>(contacts.size()))]));
      } else {
        folder.push_back(Original());
      }
    }
    return folder;
  }

 private:
  int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

  static FolderItem Copy(const FolderItem& item) {
    FolderItem copy;
    copy.contact = item.contact;
    return copy;
  }

  FolderItem Original() {
    FolderItem item;
    item.contact.Set(L"LastName", L"Name" + std::to_wstring(next_name_++));
    // A few properties of few values, so that near copies meet originals.
    for (const int property : {0, 4, 6, 24}) {
      const int choice = Below(3);
      if (choice == 1) item.contact.properties[property] = L"";
      if (choice == 2) item.contact.properties[property] = L"x";
    }
    return item;
  }

  FolderItem NearCopy(const FolderItem& item) {
    FolderItem copy = Copy(item);
    auto& value = copy.contact.properties[Below(static_cast<int>(outlook_standin::kWritablePropertyCount))];
    switch (Below(3)) {
      case 0:
        value = value.value_or(L"") + L"y";
        break;
      case 1:
        value = value && !value->empty() ? std::wstring(1, std::towupper((*value)[0])) + value->substr(1)
                                         : std::wstring(L"X");
        break;
      default:
        value = value ? std::nullopt : std::optional<std::wstring>(L"");
        break;
    }
    return copy;
  }

  std::mt19937 random_;
  int next_name_ = 0;
};

std::string Describe(const std::vector<FolderItem>& folder) {
  std::ostringstream text;
  for (const FolderItem& item : folder) {
    if (item.kind != outlook_standin::ItemKind::Contact) {
      text << "[list] ";
      continue;
    }
    text << "{";
    for (const auto& value : item.contact.properties) {
      if (value) {
        text << '"' << std::string(value->begin(), value->end()) << "\",";
      } else {
        text << "-,";
      }
    }
    text << "} ";
  }
  return text.str();
}

TEST_F(DuplicateTest, RemoveDuplicatesLeavesWhatTheReferenceScanLeaves) {
  RandomFolders folders(20240611);
  for (int round = 0; round < 150; ++round) {
    const std::vector<FolderItem> folder = folders.Next();
    SCOPED_TRACE(testing::Message() << "round " << round << ": " << Describe(folder));
    Seed(folder);
    const std::vector<FolderItem> seeded = outlook_standin::FolderContents();
    ReadFolder();
    RemoveDuplicatesByRestartingScan(Store());
    const std::vector<std::wstring> expected = EntryIdsNow();

    outlook_standin::SeedFolder(seeded);
    ReadFolder();
    ASSERT_EQ(store_->RemoveDuplicates("Contact", 0), S_OK);
    ASSERT_EQ(EntryIdsNow(), expected);
  }
}

TEST_F(DuplicateTest, RemoveDuplicatesReadsEachContactOnceOnALargeFolder) {
  constexpr int kOriginals = 900;
  constexpr int kDuplicates = 100;
  std::vector<FolderItem> folder;
  for (int index = 0; index < kOriginals; ++index) {
    folder.push_back(ContactWith({{L"FirstName", L"Anna"},
                                  {L"LastName", L"Name" + std::to_wstring(index)},
                                  {L"Email1Address", L"anna" + std::to_wstring(index) + L"@example.com"}}));
  }
  std::mt19937 random(7);
  for (int index = 0; index < kDuplicates; ++index) {
    FolderItem copy = folder[index * 9];
    const auto at = std::uniform_int_distribution<std::size_t>(index * 9 + 1, folder.size())(random);
    folder.insert(folder.begin() + static_cast<std::ptrdiff_t>(at), copy);
  }
  const auto ids = Seed(folder);
  ReadFolder();
  outlook_standin::ResetCallCounts();

  ASSERT_EQ(store_->RemoveDuplicates("Contact", 0), S_OK);

  const long contacts = kOriginals + kDuplicates;
  EXPECT_EQ(CallCount(OutlookCall::PropertyGet), 25 * contacts);
  EXPECT_EQ(CallCount(OutlookCall::Delete), kDuplicates);
  // The scan, then the reopening, which walks the old collection out.
  EXPECT_LE(CallCount(OutlookCall::GetFirst) + CallCount(OutlookCall::GetNext), 2 * (contacts + 1));
  EXPECT_EQ(EntryIdsNow().size(), static_cast<std::size_t>(kOriginals));
  std::vector<std::wstring> last_names;
  for (const FolderItem& item : outlook_standin::FolderContents()) last_names.push_back(*item.contact.Get(L"LastName"));
  std::sort(last_names.begin(), last_names.end());
  EXPECT_EQ(std::adjacent_find(last_names.begin(), last_names.end()), last_names.end()) << "one of each is left";
}

}  // namespace
}  // namespace pelloquin::test
