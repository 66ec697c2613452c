// Synchronisation end to end: the real SyncHost.exe loads the registered
// Pelloquin.dll, which reaches the Outlook stand-in, and carries contacts
// between the desktop folder and the simulated device in both directions.
#include <fstream>
#include <iterator>

#include "sync_host_fixture.h"

namespace sync_host_testing {
namespace {

using test_support::ContactWith;

std::vector<char> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

constexpr char kNothingCarried[] = "sent 0, received 0, deleted 0, conflicts 0, skipped 0, failed 0";

TEST_F(SyncHostTest, AFirstSynchronisationPutsEachContactOnTheDeviceAsReadContactReadsIt) {
  auto longest = ContactWith({{L"LastName", std::wstring(63, L'L')}, {L"FirstName", L"Max"}});
  longest.contact.Set(L"MobileTelephoneNumber", std::wstring(40, L'7'));  // longer than its field
  longest.contact.Set(L"BusinessAddressStreet", std::wstring(255, L'S'));
  const auto ids = Seed({FullContact(L"Berg", L"Anna"), ContactWith({{L"LastName", L"Ødegård"}, {L"FirstName", L"Åse"}}), longest, ContactWith({{L"LastName", L"霧島"}, {L"FirstName", L"澪"}})});

  const auto run = Sync();
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(Summary(run.output), "sent 4, received 0, deleted 0, conflicts 0, skipped 0, failed 0");
  const auto entries = DeviceEntries();
  ASSERT_EQ(entries.size(), ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    EXPECT_EQ(Text(entries[i].record, FieldId::EntryID), std::u16string(ids[i].begin(), ids[i].end()));
    EXPECT_EQ(entries[i].record, DesktopRecord(ids[i])) << "contact " << i;
    EXPECT_EQ(entries[i].marks, device::Marks{});
  }
  EXPECT_EQ(Text(entries[2].record, FieldId::MobileTelephoneNumber), std::u16string(31, u'7'));

  const auto deviceBefore = FileBytes(device_);
  const auto again = Sync();
  EXPECT_EQ(Summary(again.output), kNothingCarried) << again.output;
  EXPECT_EQ(FileBytes(device_), deviceBefore) << "a synchronisation with nothing changed wrote to the device";
}

TEST_F(SyncHostTest, AContactEditedOnTheDesktopTravelsAsOnePacket) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}}), ContactWith({{L"LastName", L"Moe"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  const auto before = DeviceEntries();

  EditOnDesktop(ids[1], FieldId::Title, L"Dr");
  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 1, received 0, deleted 0, conflicts 0, skipped 0, failed 0") << run.output;
  EXPECT_NE(run.output.find("  sent      Lind\n"), std::string::npos) << run.output;
  const auto after = DeviceEntries();
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after[0].record, before[0].record);
  EXPECT_EQ(after[1].record, DesktopRecord(ids[1]));
  EXPECT_EQ(Text(after[1].record, FieldId::Title), u"Dr");
  EXPECT_EQ(after[2].record, before[2].record);
  EXPECT_EQ(Summary(Sync().output), kNothingCarried);
}

TEST_F(SyncHostTest, AContactEditedOnTheDeviceUpdatesItsDesktopContactAndNothingElse) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}}), ContactWith({{L"LastName", L"Moe"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  const auto before = outlook_standin::FolderContents();

  EditOnDevice(DeviceIdOf(ids[2]), FieldId::CompanyName, u"Norvane");
  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 0, received 1, deleted 0, conflicts 0, skipped 0, failed 0") << run.output;
  const auto after = outlook_standin::FolderContents();
  ASSERT_EQ(after.size(), 3u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(after[i].contact.properties, before[i].contact.properties);
    EXPECT_EQ(after[i].lastModificationTime, before[i].lastModificationTime) << "contact " << i << " was saved";
  }
  EXPECT_EQ(after[2].entryId, ids[2]);
  EXPECT_EQ(after[2].contact.Get(L"CompanyName"), L"Norvane");
  EXPECT_EQ(after[2].contact.Get(L"LastName"), L"Moe");
  EXPECT_EQ(DeviceEntries()[2].marks, device::Marks{});
  EXPECT_EQ(Summary(Sync().output), kNothingCarried);
}

TEST_F(SyncHostTest, AContactCreatedOnTheDeviceBecomesADesktopContactWhoseHandleTheHostKeeps) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  const std::uint32_t added = AddOnDevice(L"Newman", L"Neil");

  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 0, received 1, deleted 0, conflicts 0, skipped 0, failed 0") << run.output;
  const auto desktop = outlook_standin::FolderContents();
  ASSERT_EQ(desktop.size(), 2u);
  EXPECT_EQ(desktop[1].contact.Get(L"LastName"), L"Newman");
  EXPECT_EQ(desktop[1].contact.Get(L"FirstName"), L"Neil");

  // The kept handle pairs the new desktop contact with the device contact
  // it came from: a desktop edit goes back to that same device contact.
  EditOnDesktop(desktop[1].entryId, FieldId::Title, L"Prof");
  EXPECT_EQ(Summary(Sync().output), "sent 1, received 0, deleted 0, conflicts 0, skipped 0, failed 0");
  const auto entries = DeviceEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].objectId, added);
  EXPECT_EQ(Text(entries[1].record, FieldId::Title), u"Prof");
  ExpectConverged();
}

TEST_F(SyncHostTest, ADeletionOnEitherSideReachesTheOther) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}}), ContactWith({{L"LastName", L"Moe"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  DeleteOnDesktop(ids[0]);
  DeleteOnDevice(DeviceIdOf(ids[1]));

  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 0, received 0, deleted 2, conflicts 0, skipped 0, failed 0") << run.output;
  const auto desktop = outlook_standin::FolderContents();
  ASSERT_EQ(desktop.size(), 1u);
  EXPECT_EQ(desktop[0].entryId, ids[2]);
  const auto entries = DeviceEntries();
  ASSERT_EQ(entries.size(), 1u) << "the deleted device contact is gone once the desktop has it deleted too";
  EXPECT_EQ(Text(entries[0].record, FieldId::LastName), u"Moe");
  ExpectConverged();
}

TEST_F(SyncHostTest, AnEditBeatsADeletionOnTheOtherSide) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  EditOnDesktop(ids[0], FieldId::Title, L"Dr");
  DeleteOnDevice(DeviceIdOf(ids[0]));
  EditOnDevice(DeviceIdOf(ids[1]), FieldId::Title, u"Prof");
  DeleteOnDesktop(ids[1]);

  const auto run = Sync();
  EXPECT_EQ(Summary(run.output), "sent 1, received 1, deleted 0, conflicts 0, skipped 0, failed 0") << run.output;
  const auto desktop = DesktopRecords();
  ASSERT_EQ(desktop.size(), 2u);
  EXPECT_EQ(Text(desktop[0], FieldId::Title), u"Dr");
  EXPECT_EQ(Text(desktop[1], FieldId::LastName), u"Lind");
  EXPECT_EQ(Text(desktop[1], FieldId::Title), u"Prof");
  ExpectConverged();
}

TEST_F(SyncHostTest, AContactAddedAndDeletedOnTheDeviceNeverReachesTheDesktop) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  ASSERT_EQ(Sync().exitCode, 0u);
  DeleteOnDevice(AddOnDevice(L"Fleeting"));

  EXPECT_EQ(Summary(Sync().output), kNothingCarried);
  EXPECT_EQ(outlook_standin::FolderContents().size(), 1u);
  EXPECT_EQ(DeviceEntries().size(), 1u);
}

TEST_F(SyncHostTest, AnEmptyFolderAndAnEmptyDeviceHaveNothingToCarry) {
  const auto run = Sync();
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_EQ(Summary(run.output), kNothingCarried);
  EXPECT_TRUE(DeviceEntries().empty());
  EXPECT_TRUE(std::filesystem::exists(state_));
}

}  // namespace
}  // namespace sync_host_testing
