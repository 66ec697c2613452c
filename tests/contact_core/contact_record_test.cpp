#include "contact_record.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace contact_core {
namespace {

struct ExpectedField {
  const char* name;
  std::size_t byte_offset;
  std::size_t byte_span;
};

// The stored layout, byte for byte: files and device packets depend on it.
constexpr ExpectedField kStoredLayout[] = {
    {"EntryID", 0x000, 128},
    {"FirstName", 0x080, 128},
    {"LastName", 0x100, 128},
    {"MiddleName", 0x180, 128},
    {"Title", 0x200, 128},
    {"CompanyName", 0x280, 128},
    {"Email1Address", 0x300, 512},
    {"MobileTelephoneNumber", 0x500, 64},
    {"HomeAddressStreet", 0x540, 512},
    {"HomeAddressCity", 0x740, 64},
    {"HomeAddressState", 0x780, 64},
    {"HomeAddressPostalCode", 0x7C0, 64},
    {"HomeAddressCountry", 0x800, 64},
    {"HomeTelephoneNumber", 0x840, 64},
    {"OtherAddressStreet", 0x880, 512},
    {"OtherAddressCity", 0xA80, 64},
    {"OtherAddressState", 0xAC0, 64},
    {"OtherAddressPostalCode", 0xB00, 64},
    {"OtherAddressCountry", 0xB40, 64},
    {"OtherTelephoneNumber", 0xB80, 64},
    {"BusinessAddressStreet", 0xBC0, 512},
    {"BusinessAddressCity", 0xDC0, 64},
    {"BusinessAddressState", 0xE00, 64},
    {"BusinessAddressPostalCode", 0xE40, 64},
    {"BusinessAddressCountry", 0xE80, 64},
    {"BusinessTelephoneNumber", 0xEC0, 64},
};

TEST(ContactRecordLayout, FieldsSitAtTheirStoredOffsets) {
  ASSERT_EQ(std::size(kStoredLayout), kContactFields.size());
  for (std::size_t i = 0; i < kContactFields.size(); ++i) {
    SCOPED_TRACE(kStoredLayout[i].name);
    EXPECT_EQ(kContactFields[i].name, kStoredLayout[i].name);
    EXPECT_EQ(kContactFields[i].offset * 2, kStoredLayout[i].byte_offset);
    EXPECT_EQ(kContactFields[i].span * 2, kStoredLayout[i].byte_span);
  }
  EXPECT_EQ(sizeof(ContactRecord), 3840u);
}

std::u16string Repeat(char16_t unit, std::size_t count) { return std::u16string(count, unit); }

TEST(ContactRecordText, ValuesAreCutToFitTheirField) {
  struct Case {
    FieldId field;
    std::u16string written;
    std::u16string read;
  } cases[] = {
      {FieldId::FirstName, Repeat(u'a', 63), Repeat(u'a', 63)},
      {FieldId::FirstName, Repeat(u'a', 64), Repeat(u'a', 63)},
      {FieldId::Email1Address, Repeat(u'e', 255), Repeat(u'e', 255)},
      {FieldId::Email1Address, Repeat(u'e', 300), Repeat(u'e', 255)},
      {FieldId::HomeAddressCity, Repeat(u'c', 31), Repeat(u'c', 31)},
      {FieldId::HomeAddressCity, Repeat(u'c', 32), Repeat(u'c', 31)},
      {FieldId::EntryID, Repeat(u'0', 140), Repeat(u'0', 63)},
      {FieldId::LastName, std::u16string(u"Berg\0tail", 9), u"Berg"},
      {FieldId::LastName, u"", u""},
      {FieldId::CompanyName, u"Soci\u00e9t\u00e9 \U0001F600", u"Soci\u00e9t\u00e9 \U0001F600"},
      // A pair that would be split at the cut goes whole; one that fits stays.
      {FieldId::FirstName, Repeat(u'a', 62) + u"\U0001F600", Repeat(u'a', 62)},
      {FieldId::FirstName, Repeat(u'a', 61) + u"\U0001F600b", Repeat(u'a', 61) + u"\U0001F600"},
      {FieldId::FirstName, Repeat(u'a', 61) + u"\U0001F600\U0001F600", Repeat(u'a', 61) + u"\U0001F600"},
      {FieldId::HomeAddressCity, Repeat(u'c', 30) + u"\U0001F600", Repeat(u'c', 30)},
      // A lone surrogate the text itself holds is kept as it came.
      {FieldId::FirstName, Repeat(u'a', 62) + u'\xD800' + u'b', Repeat(u'a', 62) + u'\xD800'},
      {FieldId::FirstName, Repeat(u'a', 62) + u'\xDC00' + u'b', Repeat(u'a', 62) + u'\xDC00'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Field(c.field).name);
    ContactRecord record;
    record.SetText(c.field, c.written);
    EXPECT_EQ(record.Text(c.field), c.read);
    const ContactField& field = Field(c.field);
    EXPECT_EQ(record.units[field.offset + field.span - 1], u'\0') << "the last unit holds the terminator";
  }
}

TEST(ContactRecordText, WritingAFieldNeverTouchesItsNeighbours) {
  ContactRecord record;
  record.units.fill(u'#');
  record.SetText(FieldId::MobileTelephoneNumber, Repeat(u'9', 100));
  const ContactField& mobile = Field(FieldId::MobileTelephoneNumber);
  EXPECT_EQ(record.units[mobile.offset - 1], u'#');
  EXPECT_EQ(record.units[mobile.offset + mobile.span], u'#');
  record.SetText(FieldId::MobileTelephoneNumber, u"12");
  EXPECT_EQ(record.Text(FieldId::MobileTelephoneNumber), u"12");
  for (std::size_t i = mobile.offset + 2; i < mobile.offset + mobile.span; ++i) EXPECT_EQ(record.units[i], u'\0');
}

TEST(ContactRecordText, AnUnterminatedFieldIsReadToItsSpanOnly) {
  ContactRecord record;
  record.units.fill(u'x');
  EXPECT_EQ(record.Text(FieldId::HomeAddressCity), Repeat(u'x', 32));
  EXPECT_EQ(record.Text(FieldId::BusinessTelephoneNumber), Repeat(u'x', 32));
}

TEST(ContactRecordText, AnAllZeroRecordHasOnlyEmptyFields) {
  const ContactRecord record;
  for (std::size_t i = 0; i < kContactFieldCount; ++i) EXPECT_TRUE(record.Text(static_cast<FieldId>(i)).empty());
}

TEST(ContactRecordBytes, CodeUnitsAreStoredLittleEndian) {
  ContactRecord record;
  record.SetText(FieldId::EntryID, u"\u20AC");
  record.SetText(FieldId::BusinessTelephoneNumber, u"A");
  std::array<std::byte, CONTACT_RECORD_SIZE> bytes{};
  ToBytes(record, bytes);
  EXPECT_EQ(bytes[0], std::byte{0xAC});
  EXPECT_EQ(bytes[1], std::byte{0x20});
  EXPECT_EQ(bytes[0xEC0], std::byte{'A'});
  EXPECT_EQ(bytes[0xEC1], std::byte{0});
  EXPECT_EQ(FromBytes(bytes), record);
}

}  // namespace
}  // namespace contact_core
