// Distribution lists among the desktop's contacts: a list is not carried to
// the device, and the contacts before and behind it are carried both ways and
// stay carried in later synchronisations.
#include <algorithm>

#include "sync_host_fixture.h"

namespace sync_host_testing {
namespace {

using test_support::DistributionList;

constexpr char kNothingCarried[] = "sent 0, received 0, deleted 0, conflicts 0, skipped 0, failed 0";

std::u16string Wide16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::vector<std::u16string> DeviceLastNames(const std::vector<device::Entry>& entries) {
  std::vector<std::u16string> names;
  for (const auto& entry : entries) names.push_back(Text(entry.record, FieldId::LastName));
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(SyncHostTest, ContactsBehindADistributionListReachTheDevice) {
  const auto ids = Seed({FullContact(L"Berg", L"Anna"), DistributionList(), FullContact(L"Lind", L"Karl"),
                         DistributionList(), FullContact(L"Moe", L"Siv")});
  const auto run = Sync();
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(Summary(run.output), "sent 3, received 0, deleted 0, conflicts 0, skipped 0, failed 0") << run.output;
  const auto entries = DeviceEntries();
  ASSERT_EQ(entries.size(), 3u);
  for (std::size_t index = 0; index < entries.size(); ++index) {
    EXPECT_EQ(Text(entries[index].record, FieldId::EntryID), Wide16(ids[2 * index])) << "desktop item " << 2 * index;
  }
  ExpectConverged();
}

TEST_F(SyncHostTest, AContactAddedOnEitherSideBehindAListTravelsAndStays) {
  Seed({FullContact(L"Berg", L"Anna"), DistributionList()});
  ASSERT_EQ(Sync().exitCode, 0u);

  AddOnDevice(L"Dahl", L"Eva");
  const auto received = Sync();
  EXPECT_EQ(Summary(received.output), "sent 0, received 1, deleted 0, conflicts 0, skipped 0, failed 0")
      << received.output;
  const auto again = Sync();
  EXPECT_EQ(Summary(again.output), kNothingCarried) << "the device's contact must not be deleted:\n" << again.output;
  EXPECT_EQ(DeviceLastNames(DeviceEntries()), (std::vector<std::u16string>{u"Berg", u"Dahl"}));

  // Outlook appends it, behind the list.
  const std::wstring added = AddOnDesktop(L"Falk");
  const auto sent = Sync();
  EXPECT_EQ(Summary(sent.output), "sent 1, received 0, deleted 0, conflicts 0, skipped 0, failed 0") << sent.output;
  EXPECT_NE(DeviceIdOf(added), 0u);
  EXPECT_EQ(DeviceLastNames(DeviceEntries()), (std::vector<std::u16string>{u"Berg", u"Dahl", u"Falk"}));
  ExpectConverged();
}

TEST_F(SyncHostTest, AConflictBehindAListIsDescribedAndLeavesNothingBehind) {
  const auto id = Seed({DistributionList(), FullContact(L"Smyth", L"Anna")})[1];
  ASSERT_EQ(Sync().exitCode, 0u);
  EditOnDesktop(id, FieldId::LastName, L"smith");
  EditOnDevice(DeviceIdOf(id), FieldId::LastName, u"Smith");

  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 0, received 0, deleted 0, conflicts 1, skipped 0, failed 0") << run.output;
  EXPECT_NE(run.output.find("  conflict  Smith, Anna: \"Anna_smith\" on the desktop, \"Anna_Smith\" on the device; "
                            "both left as they are\n"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(outlook_standin::FolderContents().size(), 2u) << "the list and the desktop's version, nothing else";
}

}  // namespace
}  // namespace sync_host_testing
