// Packets: a contact out to the device, a contact in from it, a deletion.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "contact_record.h"
#include "repl_objects.h"
#include "store_fixture.h"

namespace pelloquin::test {
namespace {

using contact_core::CONTACT_RECORD_SIZE;
using contact_core::ContactRecord;
using contact_core::FieldId;
using outlook_standin::CallCount;
using outlook_standin::OutlookCall;
using test_support::ContactWith;

class PacketTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    read_setup_.fRead = TRUE;
    write_setup_.fRead = FALSE;
  }

  // Starts the read direction for `item`, as the service manager does.
  HRESULT GetPacketOf(HREPLITEM item, ContactRecord* record = nullptr) {
    read_setup_.hItem = item;
    EXPECT_EQ(Handler()->Setup(&read_setup_), S_OK);
    LPBYTE data = nullptr;
    DWORD size = 0;
    const HRESULT hr = Handler()->GetPacket(&data, &size, 100);
    if (data != nullptr) {
      EXPECT_EQ(size, CONTACT_RECORD_SIZE);
      if (record != nullptr) {
        *record = contact_core::FromBytes(
            std::span<const std::byte, CONTACT_RECORD_SIZE>(reinterpret_cast<const std::byte*>(data), size));
      }
    }
    return hr;
  }

  // Writes `record` for `item` (null: a new object); answers the result and
  // the handle the handler reported back.
  HRESULT SetPacketFor(HREPLITEM* item, const ContactRecord& record) {
    write_setup_.hItem = *item;
    EXPECT_EQ(Handler()->Setup(&write_setup_), S_OK);
    std::vector<std::byte> packet(CONTACT_RECORD_SIZE);
    contact_core::ToBytes(record, std::span<std::byte, CONTACT_RECORD_SIZE>(packet.data(), CONTACT_RECORD_SIZE));
    const HRESULT hr = Handler()->SetPacket(reinterpret_cast<LPBYTE>(packet.data()), CONTACT_RECORD_SIZE);
    *item = write_setup_.hItem;
    return hr;
  }

  LONG FolderViewCount() {
    EXPECT_EQ(store_->FindItemClose(Folder()), S_OK);
    return FolderOf(Folder())->m_ItemCount;
  }

  REPLSETUP read_setup_{};
  REPLSETUP write_setup_{};
};

ContactRecord RecordNamed(std::u16string_view first, std::u16string_view last) {
  ContactRecord record;
  record.SetText(FieldId::FirstName, first);
  record.SetText(FieldId::LastName, last);
  return record;
}

TEST_F(PacketTest, AKnownContactTravelsAsOneWholeRecord) {
  const auto ids = Seed({ContactWith({{L"FirstName", L"Anna"}, {L"LastName", L"Berg"}, {L"CompanyName", L"Ivel"}})});
  const HREPLITEM item = ItemFor(ids[0]);
  ItemOf(item)->m_ModTime = 0.0;  // as if restored from an older synchronisation
  ContactRecord record;
  EXPECT_EQ(GetPacketOf(item, &record), RWRN_LAST_PACKET);
  EXPECT_EQ(record.Text(FieldId::FirstName), u"Anna");
  EXPECT_EQ(record.Text(FieldId::LastName), u"Berg");
  EXPECT_EQ(record.Text(FieldId::CompanyName), u"Ivel");
  EXPECT_EQ(record.Text(FieldId::EntryID), std::u16string(ids[0].begin(), ids[0].end()));
  EXPECT_EQ(record.Text(FieldId::Title), u"");
  EXPECT_FALSE(store_->IsItemChanged(Folder(), item, nullptr)) << "the time is recorded again";
}

TEST_F(PacketTest, APacketIsZeroBeyondWhatTheContactFills) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}})});
  ContactRecord record;
  record.units.fill(u'x');
  ASSERT_EQ(GetPacketOf(ItemFor(ids[0]), &record), RWRN_LAST_PACKET);
  ContactRecord expected;
  expected.SetText(FieldId::EntryID, std::u16string(ids[0].begin(), ids[0].end()));
  expected.SetText(FieldId::LastName, u"Berg");
  EXPECT_EQ(record, expected);
}

TEST_F(PacketTest, AGoneContactGivesAnEmptyPacketAndAFailure) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}})});
  const HREPLITEM item = ItemFor(ids[0]);
  RemoveFromFolder(ids[0]);
  ContactRecord record;
  record.units.fill(u'x');
  EXPECT_EQ(GetPacketOf(item, &record), E_UNEXPECTED);
  EXPECT_EQ(record, ContactRecord{});
}

TEST_F(PacketTest, AContactOutlookCannotReadWholeIsNotSent) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}, {L"MobileTelephoneNumber", L"555"}})});
  const HREPLITEM item = ItemFor(ids[0]);
  outlook_standin::ArmFault({.call = OutlookCall::PropertyGet, .result = E_ACCESSDENIED,
                             .property = L"MobileTelephoneNumber"});
  EXPECT_EQ(GetPacketOf(item), E_ACCESSDENIED);
}

TEST_F(PacketTest, WithoutASetupOrAnItemThereIsNoPacket) {
  LPBYTE data = nullptr;
  DWORD size = 0;
  EXPECT_EQ(Handler()->GetPacket(&data, &size, 0), E_UNEXPECTED) << "no read setup";
  const std::vector<BYTE> packet(CONTACT_RECORD_SIZE);
  EXPECT_EQ(Handler()->SetPacket(const_cast<BYTE*>(packet.data()), CONTACT_RECORD_SIZE), E_UNEXPECTED)
      << "no write setup";
  EXPECT_EQ(GetPacketOf(nullptr), E_UNEXPECTED) << "no item";
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(CallCount(OutlookCall::CreateApplication), 0);
}

TEST_F(PacketTest, APacketOfAnotherSizeIsRefusedBeforeTheLockIsTaken) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}})});
  write_setup_.hItem = ItemFor(ids[0]);
  ASSERT_EQ(Handler()->Setup(&write_setup_), S_OK);
  outlook_standin::ResetCallCounts();
  std::vector<BYTE> packet(CONTACT_RECORD_SIZE + 1);
  const LockHeldElsewhere held;  // a handler that waited would answer a time-out
  EXPECT_EQ(Handler()->SetPacket(packet.data(), CONTACT_RECORD_SIZE - 1), E_UNEXPECTED);
  EXPECT_EQ(Handler()->SetPacket(packet.data(), CONTACT_RECORD_SIZE + 1), E_UNEXPECTED);
  EXPECT_EQ(Handler()->SetPacket(packet.data(), 0), E_UNEXPECTED);
  for (const auto call : {OutlookCall::GetFirst, OutlookCall::PropertyGet, OutlookCall::PropertyPut,
                          OutlookCall::Save, OutlookCall::Add}) {
    EXPECT_EQ(CallCount(call), 0);
  }
}

TEST_F(PacketTest, ANewObjectBecomesANewContactAndANewHandle) {
  Seed({ContactWith({{L"LastName", L"Old"}})});
  ReadFolder();
  EXPECT_EQ(FolderViewCount(), 1);
  HREPLITEM item = nullptr;
  EXPECT_EQ(SetPacketFor(&item, RecordNamed(u"Anna", u"Berg")), S_OK);
  ASSERT_NE(item, nullptr);
  Own(item);
  EXPECT_EQ(FolderViewCount(), 2);

  const auto contents = outlook_standin::FolderContents();
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents[1].contact.Get(L"FirstName"), L"Anna");
  EXPECT_EQ(contents[1].contact.Get(L"LastName"), L"Berg");
  EXPECT_EQ(contents[1].contact.Get(L"CompanyName"), L"") << "every writable property is set";
  EXPECT_EQ(WideOf(ItemOf(item)->m_EntryID), contents[1].entryId);
  EXPECT_EQ(ItemOf(item)->m_ModTime, contents[1].lastModificationTime);
  EXPECT_FALSE(store_->IsItemChanged(Folder(), item, nullptr));
}

TEST_F(PacketTest, ANewObjectOnANewStoreOpensTheFolderFirst) {
  Seed({});
  HREPLITEM item = nullptr;
  EXPECT_EQ(SetPacketFor(&item, RecordNamed(u"Anna", u"Berg")), S_OK);
  Own(item);
  EXPECT_EQ(outlook_standin::FolderContents().size(), 1u);
}

TEST_F(PacketTest, AKnownObjectUpdatesItsContactAndKeepsItsHandle) {
  const auto ids = Seed({ContactWith({{L"FirstName", L"Anna"}, {L"LastName", L"Berg"}, {L"Title", L"Dr"}})});
  const HREPLITEM original = ItemFor(ids[0]);
  const double before = ItemOf(original)->m_ModTime;
  HREPLITEM item = original;
  EXPECT_EQ(SetPacketFor(&item, RecordNamed(u"Anna", u"Lind")), S_OK);
  EXPECT_EQ(item, original);
  const auto contents = outlook_standin::FolderContents();
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_EQ(contents[0].contact.Get(L"LastName"), L"Lind");
  EXPECT_EQ(contents[0].contact.Get(L"Title"), L"") << "an empty field clears its property";
  EXPECT_EQ(WideOf(ItemOf(item)->m_EntryID), ids[0]);
  EXPECT_EQ(ItemOf(item)->m_ModTime, contents[0].lastModificationTime);
  EXPECT_NE(ItemOf(item)->m_ModTime, before);
}

TEST_F(PacketTest, AKnownObjectWhoseContactIsGoneIsRefused) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}})});
  const HREPLITEM original = ItemFor(ids[0]);
  const double before = ItemOf(original)->m_ModTime;
  RemoveFromFolder(ids[0]);
  HREPLITEM item = original;
  EXPECT_EQ(SetPacketFor(&item, RecordNamed(u"Anna", u"Berg")), E_UNEXPECTED);
  EXPECT_EQ(item, original);
  EXPECT_EQ(ItemOf(item)->m_ModTime, before);
  EXPECT_EQ(outlook_standin::FolderContents().size(), 1u) << "nothing created";
  EXPECT_EQ(FolderViewCount(), 1) << "the folder view is refreshed all the same";
}

TEST_F(PacketTest, ReadAndWriteSetupsAreKeptApart) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Read"}}), ContactWith({{L"LastName", L"Written"}})});
  const auto items = EnumerateAll();
  read_setup_.hItem = items[0];
  write_setup_.hItem = items[1];
  ASSERT_EQ(Handler()->Setup(&read_setup_), S_OK);
  ASSERT_EQ(Handler()->Setup(&write_setup_), S_OK);
  LPBYTE data = nullptr;
  DWORD size = 0;
  ASSERT_EQ(Handler()->GetPacket(&data, &size, 0), RWRN_LAST_PACKET);
  const ContactRecord read = contact_core::FromBytes(
      std::span<const std::byte, CONTACT_RECORD_SIZE>(reinterpret_cast<const std::byte*>(data), size));
  EXPECT_EQ(read.Text(FieldId::LastName), u"Read");

  std::vector<std::byte> packet(CONTACT_RECORD_SIZE);
  contact_core::ToBytes(RecordNamed(u"", u"Changed"), std::span<std::byte, CONTACT_RECORD_SIZE>(packet.data(), size));
  ASSERT_EQ(Handler()->SetPacket(reinterpret_cast<LPBYTE>(packet.data()), CONTACT_RECORD_SIZE), S_OK);
  const auto contents = outlook_standin::FolderContents();
  EXPECT_EQ(contents[0].contact.Get(L"LastName"), L"Read");
  EXPECT_EQ(contents[1].contact.Get(L"LastName"), L"Changed");
  EXPECT_EQ(Handler()->Reset(&read_setup_), S_OK);
}

TEST_F(PacketTest, ADeletionRemovesTheContactOnceAndFreesTheLock) {
  const auto ids = Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}})});
  const HREPLITEM item = ItemFor(ids[0]);
  ReadFolder();
  EXPECT_EQ(FolderViewCount(), 2);
  REPLSETUP setup{};
  setup.hItem = item;
  EXPECT_EQ(Handler()->DeleteObj(&setup), S_OK);
  EXPECT_EQ(FolderViewCount(), 1);
  ASSERT_EQ(outlook_standin::FolderContents().size(), 1u);
  EXPECT_EQ(outlook_standin::FolderContents()[0].entryId, ids[1]);
  EXPECT_EQ(setup.hItem, item) << "the handle stays the service manager's";

  EXPECT_EQ(Handler()->DeleteObj(&setup), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce());
  setup.hItem = nullptr;
  EXPECT_EQ(Handler()->DeleteObj(&setup), E_UNEXPECTED);
  EXPECT_EQ(Handler()->DeleteObj(nullptr), E_INVALIDARG);
}

TEST_F(PacketTest, AChangeMadeIsReportedMadeWhenTheRefreshAfterItFails) {
  const auto ids = Seed({ContactWith({{L"LastName", L"A"}}), ContactWith({{L"LastName", L"B"}})});
  HREPLITEM item = ItemFor(ids[0]);
  // The write reads the saved contact's time once; the refresh after it reads
  // every contact's, and fails.
  outlook_standin::ArmFault({.call = OutlookCall::PropertyGet, .result = E_FAIL, .occurrence = 2,
                             .property = L"LastModificationTime", .sticky = true});
  EXPECT_EQ(SetPacketFor(&item, RecordNamed(u"Anna", u"Lind")), S_OK) << "a retry would store the contact twice";
  EXPECT_EQ(outlook_standin::FolderContents()[0].contact.Get(L"LastName"), L"Lind");
  EXPECT_EQ(ItemOf(item)->m_ModTime, outlook_standin::FolderContents()[0].lastModificationTime);
  EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce());

  outlook_standin::DisarmFaults();
  REPLSETUP setup{};
  setup.hItem = ItemFor(ids[1]);
  outlook_standin::ArmFault({.call = OutlookCall::PropertyGet, .result = E_FAIL,
                             .property = L"LastModificationTime", .sticky = true});
  EXPECT_EQ(Handler()->DeleteObj(&setup), S_OK);
  EXPECT_EQ(outlook_standin::FolderContents().size(), 1u);
  EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce());
}

TEST_F(PacketTest, ANewContactOutlookSavedIsEitherReportedOrDeletedAgain) {
  using outlook_standin::Fault;
  const Fault entry_id_unreadable{.call = OutlookCall::PropertyGet, .result = E_FAIL, .property = L"EntryID"};
  const Fault time_unreadable{.call = OutlookCall::PropertyGet, .result = E_FAIL,
                              .property = L"LastModificationTime"};
  const Fault no_delete{.call = OutlookCall::Delete, .result = E_FAIL, .sticky = true};
  struct Case {
    const char* what;
    std::vector<Fault> faults;
    HRESULT answer;
    std::size_t contacts_after;
  } cases[] = {
      {"its EntryID cannot be read", {entry_id_unreadable}, E_FAIL, 1},
      {"its time cannot be read", {time_unreadable}, E_FAIL, 1},
      // Undeletable, but with an identity: reported written, so never sent twice.
      {"its time cannot be read nor it deleted", {time_unreadable, no_delete}, S_OK, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Seed({ContactWith({{L"LastName", L"Old"}})});
    ReadFolder();
    for (const Fault& fault : c.faults) outlook_standin::ArmFault(fault);
    HREPLITEM item = nullptr;
    EXPECT_EQ(SetPacketFor(&item, RecordNamed(u"Anna", u"Berg")), c.answer);
    outlook_standin::DisarmFaults();
    Own(item);
    const auto contents = outlook_standin::FolderContents();
    EXPECT_EQ(contents.size(), c.contacts_after);
    EXPECT_TRUE(AnotherThreadGetsTheLockAtOnce());
    if (FAILED(c.answer)) {
      EXPECT_EQ(item, nullptr);
      continue;
    }
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(WideOf(ItemOf(item)->m_EntryID), contents.back().entryId);
    EXPECT_TRUE(store_->IsItemChanged(Folder(), item, nullptr)) << "it travels to the device again";
  }
}

TEST_F(PacketTest, AKnownContactOutlookSavedIsReportedWrittenEvenWhenItsTimeCannotBeRead) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}})});
  HREPLITEM item = ItemFor(ids[0]);
  outlook_standin::ArmFault(
      {.call = OutlookCall::PropertyGet, .result = E_FAIL, .property = L"LastModificationTime", .sticky = true});
  EXPECT_EQ(SetPacketFor(&item, RecordNamed(u"Anna", u"Lind")), S_OK);
  outlook_standin::DisarmFaults();
  EXPECT_EQ(outlook_standin::FolderContents()[0].contact.Get(L"LastName"), L"Lind");
  EXPECT_TRUE(store_->IsItemChanged(Folder(), item, nullptr)) << "the recorded time is the old one";
}

TEST_F(PacketTest, AFolderHandleIsNoItemForAPacket) {
  write_setup_.hItem = reinterpret_cast<HREPLITEM>(Folder());
  ASSERT_EQ(Handler()->Setup(&write_setup_), S_OK);
  std::vector<BYTE> packet(CONTACT_RECORD_SIZE);
  EXPECT_EQ(Handler()->SetPacket(packet.data(), CONTACT_RECORD_SIZE), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GetPacketOf(reinterpret_cast<HREPLITEM>(Folder())), HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace pelloquin::test
