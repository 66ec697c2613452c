#include "contact_mapping.h"

#include <gtest/gtest.h>

#include <string>

#include "outlook_session.h"
#include "outlook_test_environment.h"

namespace contact_core {
namespace {

using outlook_standin::CallCount;
using outlook_standin::OutlookCall;
using test_support::ContactWith;

std::u16string U16(const std::wstring& text) { return {text.begin(), text.end()}; }

std::wstring PropertyNameOf(std::size_t index) {
  const std::string_view name = kContactFields[index].name;
  return {name.begin(), name.end()};
}

// A contact with all 25 writable properties set to distinct values.
outlook_standin::FolderItem FullContact(const std::wstring& tag) {
  outlook_standin::FolderItem item;
  for (std::size_t i = 1; i < kContactFieldCount; ++i) item.contact.Set(PropertyNameOf(i), tag + std::to_wstring(i));
  return item;
}

class ContactMappingTest : public test_support::OutlookTest {
 protected:
  // The folder's n-th contact (0-based) from a freshly opened session.
  IDispatchPtr Contact(std::size_t position) {
    session_.OpenContacts();
    IDispatchPtr contact = session_.FirstContact();
    while (position-- > 0) contact = session_.NextContact();
    outlook_standin::ResetCallCounts();
    return contact;
  }

  OutlookSession session_;
};

TEST_F(ContactMappingTest, ReadingAContactCostsExactly26PropertyReads) {
  const auto ids = Seed({ContactWith({{L"LastName", L"Berg"}})});
  ContactRecord record;
  ReadContact(Contact(0), &record);

  EXPECT_EQ(CallCount(OutlookCall::PropertyGet), 26);
  ContactRecord expected;
  expected.SetText(FieldId::EntryID, U16(ids[0]));
  expected.SetText(FieldId::LastName, u"Berg");
  EXPECT_EQ(record, expected) << "the other 24 fields stay all zero";
}

TEST_F(ContactMappingTest, ReadCopiesTheCodeUnitsAndCutsWhatDoesNotFit) {
  struct Case {
    const wchar_t* property;
    std::wstring value;
    FieldId field;
    std::u16string expected;
  } cases[] = {
      {L"FirstName", L"\u00c5sa \u0416\u0435\u043d\u044f \u5f20 \U0001F600", FieldId::FirstName,
       u"\u00c5sa \u0416\u0435\u043d\u044f \u5f20 \U0001F600"},
      {L"CompanyName", std::wstring(63, L'c'), FieldId::CompanyName, std::u16string(63, u'c')},
      {L"CompanyName", std::wstring(80, L'c'), FieldId::CompanyName, std::u16string(63, u'c')},
      {L"Email1Address", std::wstring(400, L'e'), FieldId::Email1Address, std::u16string(255, u'e')},
      {L"HomeAddressCity", std::wstring(40, L'h'), FieldId::HomeAddressCity, std::u16string(31, u'h')},
      {L"LastName", std::wstring(L"Ann\0a", 5), FieldId::LastName, u"Ann"},
      {L"Title", L"", FieldId::Title, u""},
      {nullptr, L"", FieldId::Title, u""},  // never set: a null string
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "field " << Field(c.field).name << ", value of " << c.value.size() << " units");
    outlook_standin::FolderItem item;
    if (c.property != nullptr) item.contact.Set(c.property, c.value);
    Seed({item});
    ContactRecord record;
    ReadContact(Contact(0), &record);
    EXPECT_EQ(record.Text(c.field), c.expected);
  }
}

TEST_F(ContactMappingTest, AnEntryIdLongerThanItsFieldIsCut) {
  outlook_standin::FolderItem item = ContactWith({{L"LastName", L"Server"}});
  item.entryId = std::wstring(140, L'A');
  Seed({item});
  ContactRecord record;
  ReadContact(Contact(0), &record);
  EXPECT_EQ(record.Text(FieldId::EntryID), std::u16string(63, u'A'));
  EXPECT_EQ(record.Text(FieldId::LastName), u"Server");
}

TEST_F(ContactMappingTest, AFailedReadKeepsTheFieldsBeforeItAndLeavesTheRestZero) {
  Seed({FullContact(L"v")});
  IDispatchPtr contact = Contact(0);
  outlook_standin::ArmFault({.call = OutlookCall::PropertyGet, .result = E_FAIL, .occurrence = 8});
  ContactRecord record;
  ReadContact(contact, &record);  // must not throw

  for (std::size_t i = 1; i < 7; ++i) {
    const std::u16string expected = U16(L"v" + std::to_wstring(i));
    EXPECT_EQ(record.Text(static_cast<FieldId>(i)), expected);
  }
  EXPECT_FALSE(record.Text(FieldId::EntryID).empty());
  for (std::size_t i = 7; i < kContactFieldCount; ++i) {
    const ContactField& field = kContactFields[i];
    for (std::size_t unit = field.offset; unit < field.offset + field.span; ++unit) ASSERT_EQ(record.units[unit], 0);
  }
}

TEST_F(ContactMappingTest, NullContactOrRecordDoesNothing) {
  Seed({FullContact(L"v")});
  IDispatchPtr contact = Contact(0);
  ContactRecord record;
  record.units.fill(u'#');
  const ContactRecord untouched = record;
  ReadContact(nullptr, &record);
  ReadContact(contact, nullptr);
  WriteContact(nullptr, contact);
  WriteContact(&record, nullptr);
  EXPECT_EQ(record, untouched);
  EXPECT_EQ(CallCount(OutlookCall::PropertyGet) + CallCount(OutlookCall::PropertyPut) + CallCount(OutlookCall::Save), 0);
}

TEST_F(ContactMappingTest, ARecordWrittenToANewContactReproducesTheWritableFields) {
  const auto ids = Seed({FullContact(L"src")});
  ContactRecord record;
  ReadContact(Contact(0), &record);

  IDispatchPtr created = session_.AddContact();
  outlook_standin::ResetCallCounts();
  WriteContact(&record, created);
  EXPECT_EQ(CallCount(OutlookCall::PropertyPut), 25);
  EXPECT_EQ(CallCount(OutlookCall::PropertyPut, L"EntryID"), 0);
  EXPECT_EQ(CallCount(OutlookCall::Save), 1);

  const auto folder = outlook_standin::FolderContents();
  ASSERT_EQ(folder.size(), 2u);
  EXPECT_EQ(folder[1].contact.properties, folder[0].contact.properties);
  EXPECT_NE(folder[1].entryId, ids[0]) << "Outlook assigns the new contact's own EntryID";
  EXPECT_EQ(folder[1].entryId.size(), 48u);
}

TEST_F(ContactMappingTest, AnAllZeroRecordMakesAContactWithEveryPropertyEmpty) {
  Seed({});
  session_.OpenContacts();
  const ContactRecord all_zero;
  WriteContact(&all_zero, session_.AddContact());
  const auto folder = outlook_standin::FolderContents();
  ASSERT_EQ(folder.size(), 1u);
  for (const auto& property : folder[0].contact.properties) EXPECT_EQ(property, std::wstring()) << "set empty, not absent";
}

TEST_F(ContactMappingTest, AnEmptyFieldClearsTheProperty) {
  Seed({ContactWith({{L"LastName", L"Berg"}, {L"Email1Address", L"berg@example.org"}})});
  ContactRecord record;
  record.SetText(FieldId::LastName, u"Berg");
  WriteContact(&record, Contact(0));
  const auto folder = outlook_standin::FolderContents();
  EXPECT_EQ(folder[0].contact.Get(L"Email1Address"), std::wstring());
  EXPECT_EQ(folder[0].contact.Get(L"LastName"), std::wstring(L"Berg"));
}

TEST_F(ContactMappingTest, OnlyTheTextUpToTheTerminatorOrTheSpanIsWritten) {
  Seed({ContactWith({{L"LastName", L"old"}})});
  ContactRecord record;
  record.SetText(FieldId::EntryID, u"ignored entry id");
  record.SetText(FieldId::LastName, u"Berg");
  record.units[Field(FieldId::LastName).offset + 6] = u'z';  // after the terminator: ignored
  std::fill_n(record.units.begin() + Field(FieldId::HomeAddressCity).offset, 32, u'k');  // no terminator
  WriteContact(&record, Contact(0));

  const auto folder = outlook_standin::FolderContents();
  EXPECT_EQ(folder[0].contact.Get(L"LastName"), std::wstring(L"Berg"));
  EXPECT_EQ(folder[0].contact.Get(L"HomeAddressCity"), std::wstring(32, L'k'));
  EXPECT_NE(folder[0].entryId, L"ignored entry id");
  EXPECT_EQ(folder[0].contact.Get(L"HomeAddressState"), std::wstring()) << "the neighbour is not read into the value";
}

TEST_F(ContactMappingTest, RecordsDifferingOnlyInEntryIdWriteIdenticalContacts) {
  Seed({{}, {}});
  ContactRecord first;
  first.SetText(FieldId::EntryID, u"AAAA");
  first.SetText(FieldId::FirstName, u"Eva");
  ContactRecord second = first;
  second.SetText(FieldId::EntryID, u"BBBB");
  WriteContact(&first, Contact(0));
  WriteContact(&second, Contact(1));
  const auto folder = outlook_standin::FolderContents();
  EXPECT_EQ(folder[0].contact.properties, folder[1].contact.properties);
}

TEST_F(ContactMappingTest, ARefusedPropertyStopsTheWriteBeforeSave) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  IDispatchPtr contact = Contact(0);
  const auto before = outlook_standin::FolderContents();
  outlook_standin::ArmFault(
      {.call = OutlookCall::PropertyPut, .result = E_ACCESSDENIED, .property = L"HomeAddressCity"});
  ContactRecord record;
  record.SetText(FieldId::FirstName, u"Eva");

  try {
    WriteContact(&record, contact);
    FAIL() << "the refusal must reach the caller";
  } catch (const _com_error& error) {
    EXPECT_EQ(error.Error(), E_ACCESSDENIED);
  }
  for (std::size_t i = 1; i <= static_cast<std::size_t>(FieldId::HomeAddressCity); ++i) {
    EXPECT_EQ(CallCount(OutlookCall::PropertyPut, PropertyNameOf(i)), 1) << kContactFields[i].name;
  }
  EXPECT_EQ(CallCount(OutlookCall::PropertyPut, L"HomeAddressState"), 0);
  EXPECT_EQ(CallCount(OutlookCall::Save), 0);
  EXPECT_EQ(outlook_standin::FolderContents()[0].contact.properties, before[0].contact.properties);
}

TEST_F(ContactMappingTest, AFailedSaveReachesTheCaller) {
  Seed({ContactWith({{L"LastName", L"Berg"}})});
  IDispatchPtr contact = Contact(0);
  outlook_standin::ArmFault({.call = OutlookCall::Save, .result = E_OUTOFMEMORY});
  ContactRecord record;
  EXPECT_THROW(WriteContact(&record, contact), _com_error);
  EXPECT_EQ(outlook_standin::FolderContents()[0].contact.Get(L"LastName"), std::wstring(L"Berg"));
}

}  // namespace
}  // namespace contact_core
