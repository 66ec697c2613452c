// Export and import against the Outlook stand-in: what lands in the file,
// what lands in Outlook, and that every failure ends the command with the
// file still valid.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contact_file_bytes.h"
#include "file_commands.h"
#include "memory_file.h"
#include "outlook_test_environment.h"
#include "quillmere_session.h"
#include "temp_folder.h"

namespace quillmere::testing {
namespace {

using contact_core::ContactRecord;
using contact_core::FieldId;
using outlook_standin::ArmFault;
using outlook_standin::CallCount;
using outlook_standin::FolderContents;
using outlook_standin::OutlookCall;
using test_support::ContactWith;

std::u16string U16(const std::wstring& text) { return {text.begin(), text.end()}; }

const ContactChooser kEveryContact = [](std::wstring_view) { return true; };

outlook_standin::FolderItem Person(const wchar_t* last_name, const wchar_t* first_name) {
  return ContactWith({{L"LastName", last_name}, {L"FirstName", first_name}});
}

// The record the export writes for a contact seeded with Person().
ContactRecord ExportedRecord(const std::wstring& entry_id, std::u16string_view last_name,
                             std::u16string_view first_name) {
  ContactRecord record = RecordNamed(last_name, first_name);
  record.SetText(FieldId::EntryID, U16(entry_id));
  return record;
}

std::vector<std::wstring> LastNamesInOutlook() {
  std::vector<std::wstring> names;
  for (const auto& item : FolderContents()) names.push_back(item.contact.Get(L"LastName").value_or(L"<unset>"));
  return names;
}

class ContactTransferTest : public test_support::OutlookTest {
 protected:
  std::wstring PathOf(const std::wstring& name) const { return (folder_ / name).wstring(); }

  TempFolder folder_{L"transfer"};
  QuillmereSession session_;
};

TEST_F(ContactTransferTest, ExportingToANewFileWritesEveryContactInFolderOrder) {
  const auto ids = Seed({Person(L"Aalto", L"Ilona"), Person(L"Berg", L"Jonas")});
  const std::wstring path = PathOf(L"new.fs");
  ASSERT_TRUE(ExportContactsToFile(session_, path, kEveryContact));
  EXPECT_EQ(ReadWholeFile(path), FileWithRecords({ExportedRecord(ids[0], u"Aalto", u"Ilona"),
                                                  ExportedRecord(ids[1], u"Berg", u"Jonas")}));
}

TEST_F(ContactTransferTest, ContactsBehindDistributionListsAreExportedToo) {
  const auto ids = Seed({test_support::DistributionList(), Person(L"Aalto", L"Ilona"), test_support::DistributionList(),
                         Person(L"Berg", L"Jonas"), test_support::DistributionList()});
  const std::wstring path = PathOf(L"lists.fs");
  ASSERT_TRUE(ExportContactsToFile(session_, path, kEveryContact));
  EXPECT_EQ(ReadWholeFile(path), FileWithRecords({ExportedRecord(ids[1], u"Aalto", u"Ilona"),
                                                  ExportedRecord(ids[3], u"Berg", u"Jonas")}));
}

TEST_F(ContactTransferTest, AfterOutlookGoesAwayTheNextCommandReachesANewOne) {
  const auto ids = Seed({Person(L"Aalto", L"Ilona")});
  const std::wstring first = PathOf(L"before.fs");
  ASSERT_TRUE(ExportContactsToFile(session_, first, kEveryContact));

  test_support::OutlookGoesAway();
  const std::wstring second = PathOf(L"after.fs");
  ASSERT_TRUE(ExportContactsToFile(session_, second, kEveryContact)) << "the stale collection is let go of";
  EXPECT_EQ(ReadWholeFile(second), FileWithRecords({ExportedRecord(ids[0], u"Aalto", u"Ilona")}));

  test_support::OutlookGoesAway();
  ASSERT_TRUE(ImportContactsFromFile(session_, second));
  EXPECT_EQ(LastNamesInOutlook(), (std::vector<std::wstring>{L"Aalto", L"Aalto"}));
}

TEST_F(ContactTransferTest, TwoExportsToOneFileAddUp) {
  const auto ids = Seed({Person(L"Aalto", L"Ilona")});
  const std::wstring path = PathOf(L"twice.fs");
  ASSERT_TRUE(ExportContactsToFile(session_, path, kEveryContact));
  EXPECT_EQ(ReadWholeFile(path).size(), 3848u);
  ASSERT_TRUE(ExportContactsToFile(session_, path, kEveryContact));
  const ContactRecord record = ExportedRecord(ids[0], u"Aalto", u"Ilona");
  EXPECT_EQ(ReadWholeFile(path), FileWithRecords({record, record}));
}

TEST_F(ContactTransferTest, OnlyChosenContactsAreWritten) {
  const auto ids = Seed({Person(L"Aalto", L"Ilona"), Person(L"Berg", L"Jonas"), Person(L"Cruz", L"Ana")});
  const std::wstring path = PathOf(L"chosen.fs");
  std::vector<std::wstring> asked;
  ASSERT_TRUE(ExportContactsToFile(session_, path, [&](std::wstring_view entry_id) {
    asked.emplace_back(entry_id);
    return entry_id == ids[2] || entry_id == ids[0];
  }));
  EXPECT_EQ(asked, ids) << "every contact is asked about, in folder order";
  EXPECT_EQ(ReadWholeFile(path), FileWithRecords({ExportedRecord(ids[0], u"Aalto", u"Ilona"),
                                                  ExportedRecord(ids[2], u"Cruz", u"Ana")}));
}

TEST_F(ContactTransferTest, AnExportWithNothingToWriteLeavesAnEmptyFileThatDoesNotImport) {
  Seed({Person(L"Aalto", L"Ilona")});
  const std::wstring path = PathOf(L"nothing.fs");
  EXPECT_TRUE(ExportContactsToFile(session_, path, [](std::wstring_view) { return false; }));
  EXPECT_TRUE(ReadWholeFile(path).empty());
  EXPECT_FALSE(ImportContactsFromFile(session_, path));
}

TEST_F(ContactTransferTest, AnExistingFileThatIsNotValidFailsTheExportAndStaysUntouched) {
  Seed({Person(L"Aalto", L"Ilona"), Person(L"Berg", L"Jonas")});
  const std::wstring path = PathOf(L"invalid.fs");
  const Bytes invalid = FileWithHeader(8 + 3840, 2, 8 + 3840);
  WriteWholeFile(path, invalid);
  EXPECT_FALSE(ExportContactsToFile(session_, path, kEveryContact));
  EXPECT_EQ(ReadWholeFile(path), invalid);
  EXPECT_EQ(CallCount(OutlookCall::PropertyGet, L"LastName"), 0) << "no contact is read for a refused file";
}

TEST_F(ContactTransferTest, AnExportFileThatCanNeitherBeOpenedNorCreatedFailsTheExport) {
  Seed({Person(L"Aalto", L"Ilona")});
  EXPECT_FALSE(ExportContactsToFile(session_, PathOf(L"no such folder\\x.fs"), kEveryContact));
  EXPECT_EQ(CallCount(OutlookCall::CreateApplication), 0);
}

TEST_F(ContactTransferTest, AnExportWhenOutlookCannotBeReachedFails) {
  Seed({Person(L"Aalto", L"Ilona")});
  ArmFault({.call = OutlookCall::CreateApplication, .result = REGDB_E_CLASSNOTREG, .sticky = true});
  const std::wstring path = PathOf(L"unreachable.fs");
  EXPECT_FALSE(ExportContactsToFile(session_, path, kEveryContact));
  EXPECT_TRUE(ReadWholeFile(path).empty());
}

TEST_F(ContactTransferTest, AnOutlookFailureDuringTheExportEndsItWithTheRecordsBeforeKept) {
  struct Case {
    const char* name;
    outlook_standin::Fault fault;
  };
  const Case cases[] = {
      {"reading the second contact's MobileTelephoneNumber",
       {.call = OutlookCall::PropertyGet, .occurrence = 2, .property = L"MobileTelephoneNumber"}},
      {"reading the second contact's EntryID", {.call = OutlookCall::PropertyGet, .occurrence = 2, .property = L"EntryID"}},
      {"walking on to the second contact", {.call = OutlookCall::GetNext}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    const auto ids = Seed({Person(L"Aalto", L"Ilona"), Person(L"Berg", L"Jonas")});
    const std::wstring path = PathOf(L"fault.fs");
    DeleteFileW(path.c_str());
    QuillmereSession session;
    ArmFault(row.fault);
    EXPECT_FALSE(ExportContactsToFile(session, path, kEveryContact));
    EXPECT_EQ(ReadWholeFile(path), FileWithRecords({ExportedRecord(ids[0], u"Aalto", u"Ilona")}));
  }
}

TEST_F(ContactTransferTest, ADiskThatFillsUpEndsTheExportWithAValidFile) {
  const auto ids = Seed({Person(L"Aalto", L"Ilona"), Person(L"Berg", L"Jonas")});
  MemoryFile file;
  file.capacity = 3848 + 100;
  EXPECT_FALSE(ExportContacts(session_, file, kEveryContact));
  EXPECT_EQ(file.bytes, FileWithRecords({ExportedRecord(ids[0], u"Aalto", u"Ilona")}));
}

TEST_F(ContactTransferTest, ImportingCreatesOneNewContactPerRecordInFileOrder) {
  const ContactRecord aalto = ExportedRecord(L"an old id", u"Aalto", u"Ilona");
  const std::wstring path = PathOf(L"import.fs");
  WriteWholeFile(path, FileWithRecords({aalto, RecordNamed(u"Berg"), aalto}));
  Seed({Person(L"Existing", L"Eva")});
  ASSERT_TRUE(ImportContactsFromFile(session_, path));
  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 4u);
  EXPECT_EQ(LastNamesInOutlook(), (std::vector<std::wstring>{L"Existing", L"Aalto", L"Berg", L"Aalto"}))
      << "records are never matched against existing contacts";
  EXPECT_EQ(contents[1].contact.Get(L"FirstName"), L"Ilona");
  EXPECT_EQ(contents[2].contact.Get(L"FirstName"), L"") << "an empty field sets an empty property";
  EXPECT_NE(contents[1].entryId, L"an old id");
}

TEST_F(ContactTransferTest, WhatIsExportedImportsAsTheSameContacts) {
  outlook_standin::FolderItem full;
  for (std::size_t index = 1; index < contact_core::kContactFieldCount; ++index) {
    const std::string_view name = contact_core::kContactFields[index].name;
    full.contact.Set(std::wstring(name.begin(), name.end()), L"v" + std::to_wstring(index) + L" ÅØé");
  }
  Seed({full});
  const std::wstring path = PathOf(L"round.fs");
  ASSERT_TRUE(ExportContactsToFile(session_, path, kEveryContact));
  Seed({});
  ASSERT_TRUE(ImportContactsFromFile(session_, path));
  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_EQ(contents[0].contact.properties, full.contact.properties);
}

TEST_F(ContactTransferTest, AHeaderOnlyFileImportsWithoutCreatingAnything) {
  const std::wstring path = PathOf(L"header.fs");
  WriteWholeFile(path, FileWithHeader(8, 0, 8));
  Seed({});
  EXPECT_TRUE(ImportContactsFromFile(session_, path));
  EXPECT_TRUE(FolderContents().empty());
}

TEST_F(ContactTransferTest, ATailShorterThanARecordIsIgnoredByTheImport) {
  const std::wstring path = PathOf(L"tail.fs");
  WriteWholeFile(path, WithTail(FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg")}), 3839));
  Seed({});
  EXPECT_TRUE(ImportContactsFromFile(session_, path));
  EXPECT_EQ(LastNamesInOutlook(), (std::vector<std::wstring>{L"Aalto", L"Berg"}));
}

TEST_F(ContactTransferTest, AnImportFileThatIsNotValidIsRefusedBeforeOutlookIsTouched) {
  const Bytes one_record = FileWithRecords({RecordNamed(u"Aalto")});
  Bytes truncated = FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg")});
  truncated.resize(truncated.size() - 1);
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"seven bytes", FileWithHeader(7, 0, 7)},
      {"truncated", truncated},
      {"recordCount one too many", FileWithHeader(3848, 2, 3848)},
      {"recordCount one too few", FileWithHeader(3848, 0, 3848)},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    const std::wstring path = PathOf(L"refused.fs");
    WriteWholeFile(path, row.bytes);
    Seed({});
    EXPECT_FALSE(ImportContactsFromFile(session_, path));
    EXPECT_EQ(CallCount(OutlookCall::CreateApplication), 0);
    EXPECT_TRUE(FolderContents().empty());
  }
}

TEST_F(ContactTransferTest, AnImportFileThatCannotBeOpenedFailsTheImport) {
  EXPECT_FALSE(ImportContactsFromFile(session_, PathOf(L"missing.fs")));
  const std::wstring path = PathOf(L"locked.fs");
  WriteWholeFile(path, FileWithRecords({RecordNamed(u"Aalto")}));
  const HANDLE locked = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  Seed({});
  EXPECT_FALSE(ImportContactsFromFile(session_, path));
  CloseHandle(locked);
  EXPECT_TRUE(FolderContents().empty());
}

TEST_F(ContactTransferTest, AnOutlookFailureDuringTheImportEndsItWithTheContactsBeforeKept) {
  struct Case {
    const char* name;
    outlook_standin::Fault fault;
  };
  const Case cases[] = {
      {"creating the second contact", {.call = OutlookCall::Add, .occurrence = 2}},
      {"setting the second contact's HomeAddressCity",
       {.call = OutlookCall::PropertyPut, .occurrence = 2, .property = L"HomeAddressCity"}},
      {"saving the second contact", {.call = OutlookCall::Save, .occurrence = 2}},
      {"reaching Outlook", {.call = OutlookCall::CreateApplication, .result = REGDB_E_CLASSNOTREG, .sticky = true}},
  };
  const std::wstring path = PathOf(L"partial.fs");
  WriteWholeFile(path, FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg"), RecordNamed(u"Cruz")}));
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    Seed({});
    ArmFault(row.fault);
    EXPECT_FALSE(ImportContactsFromFile(session_, path));
    const auto expected = row.fault.call == OutlookCall::CreateApplication ? std::vector<std::wstring>{}
                                                                           : std::vector<std::wstring>{L"Aalto"};
    EXPECT_EQ(LastNamesInOutlook(), expected);
  }
}

}  // namespace
}  // namespace quillmere::testing
