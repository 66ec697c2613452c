// GetConflictInfo: the record's size check, the names and descriptions of
// two versions, and the identity rule that tells whether they differ at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "contact_record.h"
#include "repl_objects.h"
#include "store_fixture.h"

namespace pelloquin::test {
namespace {

using outlook_standin::FolderItem;
using test_support::ContactWith;

constexpr char kUntouched[] = "as the caller left it";

struct Described {
  HRESULT result;
  std::string local_name;
  std::string local_description;
  std::string remote_name;
  std::string remote_description;
};

// The Outlook names of the 25 compared properties, FirstName first.
std::vector<std::wstring> ComparedProperties() {
  std::vector<std::wstring> names;
  for (std::size_t field = 1; field < contact_core::kContactFieldCount; ++field) {
    const std::string_view name = contact_core::kContactFields[field].name;
    names.emplace_back(name.begin(), name.end());
  }
  return names;
}

// Every compared property set, to a text that names it.
FolderItem FullContact() {
  FolderItem item;
  for (const std::wstring& name : ComparedProperties()) item.contact.Set(name, L"value of " + name);
  return item;
}

class ConflictTest : public StoreTest {
 protected:
  // Seeds the two versions and asks for their description.
  Described Describe(const FolderItem& local, const FolderItem& remote) {
    Seed({local, remote});
    const std::vector<HREPLITEM> items = EnumerateAll();
    EXPECT_EQ(items.size(), 2u);
    return Describe(items.at(0), items.at(1));
  }

  Described Describe(HREPLITEM local, HREPLITEM remote) {
    CONFINFO info{};
    info.cbStruct = sizeof info;
    info.hFolder = Folder();
    info.hLocalItem = local;
    info.hRemoteItem = remote;
    std::strcpy(info.szLocalDesc, kUntouched);
    std::strcpy(info.szRemoteDesc, kUntouched);
    const HRESULT result = store_->GetConflictInfo(&info);
    return {result, info.szLocalName, info.szLocalDesc, info.szRemoteName, info.szRemoteDesc};
  }
};

TEST_F(ConflictTest, ARecordOfAnyOtherSizeIsRefusedAndLeftUntouched) {
  Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lund"}})});
  const std::vector<HREPLITEM> items = EnumerateAll();
  for (const UINT size : {0u, 1u, static_cast<UINT>(sizeof(CONFINFO)) - 1, static_cast<UINT>(sizeof(CONFINFO)) + 1,
                          0xFFFFFFFFu}) {
    SCOPED_TRACE(size);
    CONFINFO info;
    std::memset(&info, 0xA5, sizeof info);
    info.cbStruct = size;
    info.hLocalItem = items[0];
    info.hRemoteItem = items[1];
    const CONFINFO before = info;
    EXPECT_EQ(store_->GetConflictInfo(&info), E_INVALIDARG);
    EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0);
  }
  EXPECT_EQ(store_->GetConflictInfo(nullptr), E_INVALIDARG);
}

TEST_F(ConflictTest, AHandleThatIsNoItemIsRefusedAndLeftUntouched) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  const HREPLITEM item = EnumerateAll().at(0);
  const HREPLITEM folder = reinterpret_cast<HREPLITEM>(Folder());
  for (const auto& [local, remote] : {std::pair{item, HREPLITEM{}}, std::pair{HREPLITEM{}, item},
                                      std::pair{folder, item}, std::pair{item, folder}}) {
    CONFINFO info{};
    info.cbStruct = sizeof info;
    info.hLocalItem = local;
    info.hRemoteItem = remote;
    EXPECT_EQ(store_->GetConflictInfo(&info), E_INVALIDARG);
    EXPECT_STREQ(info.szLocalName, "");
    EXPECT_STREQ(info.szRemoteName, "");
  }
}

TEST_F(ConflictTest, TwoVersionsThatDifferAreDescribedAsFirstUnderscoreLast) {
  struct Case {
    const char* name;
    FolderItem local;
    FolderItem remote;
    const char* local_description;
    const char* remote_description;
  };
  const Case cases[] = {
      {"letter case counts", ContactWith({{L"FirstName", L"Anna"}, {L"LastName", L"smith"}}),
       ContactWith({{L"FirstName", L"Anna"}, {L"LastName", L"Smith"}}), "Anna_smith", "Anna_Smith"},
      {"an empty first name", ContactWith({{L"FirstName", L""}, {L"LastName", L"Berg"}}),
       ContactWith({{L"LastName", L"Berg"}, {L"CompanyName", L"Lund AB"}}), "_Berg", "_Berg"},
      {"no names at all", ContactWith({{L"CompanyName", L"Lund AB"}}), ContactWith({{L"CompanyName", L"Lund"}}),
       "_", "_"},
      {"the 8-bit code page", ContactWith({{L"FirstName", L"Zo\u00EB"}, {L"LastName", L"M\u00FCller"}}),
       ContactWith({{L"FirstName", L"Zoe"}, {L"LastName", L"Muller"}}), "Zo\xEB_M\xFCller", "Zoe_Muller"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Described described = Describe(c.local, c.remote);
    EXPECT_EQ(described.result, S_OK);
    EXPECT_EQ(described.local_name, "OutlookContact");
    EXPECT_EQ(described.remote_name, "OutlookContact");
    EXPECT_EQ(described.local_description, c.local_description);
    EXPECT_EQ(described.remote_description, c.remote_description);
  }
}

TEST_F(ConflictTest, EachComparedPropertyCountsWithAbsentApartFromEmpty) {
  struct Pair {
    const char* name;
    std::optional<std::wstring> local;
    std::optional<std::wstring> remote;
    HRESULT result;
  };
  const Pair pairs[] = {
      {"equal", L"value", L"value", RERR_IGNORE},
      {"both absent", std::nullopt, std::nullopt, RERR_IGNORE},
      {"another value", L"value", L"value!", S_OK},
      {"another letter case", L"value", L"VALUE", S_OK},
      {"present against absent", L"value", std::nullopt, S_OK},
      {"empty against absent", L"", std::nullopt, S_OK},
  };
  const std::vector<std::wstring> properties = ComparedProperties();
  for (std::size_t index = 0; index < properties.size(); ++index) {
    SCOPED_TRACE(std::string(properties[index].begin(), properties[index].end()));
    for (const Pair& pair : pairs) {
      SCOPED_TRACE(pair.name);
      FolderItem local = FullContact();
      FolderItem remote = FullContact();
      local.contact.properties[index] = pair.local;
      remote.contact.properties[index] = pair.remote;
      EXPECT_EQ(Describe(local, remote).result, pair.result);
    }
  }
}

TEST_F(ConflictTest, VersionsEqualInTheComparedPropertiesAreIgnored) {
  // They differ in EntryID and modification time only.
  for (const FolderItem& contact : {FullContact(), ContactWith({}), ContactWith({{L"LastName", L""}})}) {
    const Described described = Describe(contact, contact);
    EXPECT_EQ(described.result, RERR_IGNORE);
    EXPECT_EQ(described.local_name, "OutlookContact");
    EXPECT_EQ(described.local_description, kUntouched);
    EXPECT_EQ(described.remote_description, kUntouched);
  }
}

TEST_F(ConflictTest, AVersionThatNoLongerExistsLeavesTheDescriptions) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lund"}})});
  const std::vector<HREPLITEM> items = EnumerateAll();
  for (const std::size_t gone : {1u, 0u}) {
    RemoveFromFolder(ids[gone]);
    const Described described = Describe(items[0], items[1]);
    EXPECT_EQ(described.result, S_OK);
    EXPECT_EQ(described.local_name, "OutlookContact");
    EXPECT_EQ(described.remote_name, "OutlookContact");
    EXPECT_EQ(described.local_description, kUntouched);
    EXPECT_EQ(described.remote_description, kUntouched);
  }
}

TEST_F(ConflictTest, ALongDescriptionIsCutTo511Bytes) {
  const std::wstring first(300, L'f');
  const std::wstring last(300, L'l');
  const Described described = Describe(ContactWith({{L"FirstName", first}, {L"LastName", last}}),
                                       ContactWith({{L"FirstName", first}, {L"LastName", L"Berg"}}));
  EXPECT_EQ(described.result, S_OK);
  EXPECT_EQ(described.local_description, std::string(300, 'f') + "_" + std::string(210, 'l'));
  EXPECT_EQ(described.remote_description, std::string(300, 'f') + "_Berg");
}

}  // namespace
}  // namespace pelloquin::test
