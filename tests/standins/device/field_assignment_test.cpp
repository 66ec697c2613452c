// "Field=Value" as typed to DeviceTool.
#include <gtest/gtest.h>

#include <string>

#include "field_assignment.h"

namespace device {
namespace {

using contact_core::ContactRecord;
using contact_core::FieldId;

TEST(FieldAssignment, SetsTheNamedField) {
  struct Case {
    std::u16string typed;
    FieldId field;
    std::u16string value;
  };
  const Case cases[] = {
      {u"LastName=Berg", FieldId::LastName, u"Berg"},
      {u"lastname=berg", FieldId::LastName, u"berg"},
      {u"BUSINESSTELEPHONENUMBER=+47 22 00", FieldId::BusinessTelephoneNumber, u"+47 22 00"},
      {u"Email1Address=a=b@example.org", FieldId::Email1Address, u"a=b@example.org"},
      {u"FirstName=Ødegård", FieldId::FirstName, u"Ødegård"},
      {u"MobileTelephoneNumber=" + std::u16string(31, u'7'), FieldId::MobileTelephoneNumber, std::u16string(31, u'7')},
  };
  for (const Case& c : cases) {
    ContactRecord record;
    ApplyAssignment(c.typed, record);
    EXPECT_EQ(record.Text(c.field), c.value);
  }
}

TEST(FieldAssignment, AnEmptyValueClearsTheField) {
  ContactRecord record;
  record.SetText(FieldId::Title, u"Dr");
  ApplyAssignment(u"Title=", record);
  EXPECT_EQ(record, ContactRecord{});
}

TEST(FieldAssignment, RefusesWhatTheRecordCannotTakeAndLeavesItUnchanged) {
  struct Case {
    std::u16string typed;
    const char* says;
  };
  const Case cases[] = {
      {u"LastName", "not of the form Field=Value"},
      {u"Surname=Berg", "no contact field \"Surname\""},
      {u"=Berg", "no contact field \"\""},
      {u"EntryID=00AB", "assigned by the desktop"},
      {u"MobileTelephoneNumber=" + std::u16string(32, u'7'), "at most 31 characters; the value has 32"},
      {u"LastName=" + std::u16string(64, u'x'), "at most 63 characters"},
      {std::u16string(u"LastName=a\0b", 12), "cannot hold a zero"},
  };
  for (const Case& c : cases) {
    ContactRecord record;
    record.SetText(FieldId::LastName, u"Before");
    const ContactRecord before = record;
    try {
      ApplyAssignment(c.typed, record);
      ADD_FAILURE() << c.says << ": accepted";
    } catch (const std::invalid_argument& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
    EXPECT_EQ(record, before);
  }
}

}  // namespace
}  // namespace device
