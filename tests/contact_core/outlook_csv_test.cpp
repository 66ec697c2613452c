#include <gtest/gtest.h>

#include <filesystem>

#include "contact_samples.h"
#include "hostile_bytes.h"
#include "outlook_csv_reader.h"
#include "outlook_csv_writer.h"
#include "utf8_text.h"

namespace {

using contact_core::ContactRecord;
using contact_core::ConversionReport;
using contact_core::FieldId;
using contact_samples::SampleFile;
using contact_samples::Utf8;

std::vector<ContactRecord> Read(std::string_view bytes, ConversionReport& report) {
  std::vector<ContactRecord> records;
  contact_core::ReadOutlookCsv(bytes, report, [&](const ContactRecord& record) { records.push_back(record); });
  return records;
}

std::vector<ContactRecord> Read(std::string_view bytes) {
  ConversionReport report;
  return Read(bytes, report);
}

std::string Written(const std::vector<ContactRecord>& records) {
  std::string text = contact_core::OutlookCsvHeader();
  ConversionReport report;
  for (const ContactRecord& record : records) contact_core::AppendOutlookCsvRow(record, text, report);
  EXPECT_EQ(report.Lines(), std::vector<std::string>{});
  return text;
}

TEST(OutlookCsv, EveryFieldComesBackExactly) {
  auto records = contact_samples::Records();
  // CSV carries line breaks as they are, lone ones too.
  records.push_back(contact_samples::WithFields({{FieldId::HomeAddressStreet, u"a\nb\rc\r\n"}, {FieldId::LastName, u"\"\"\""}}));
  ConversionReport report;
  const auto read = Read(Written(records), report);
  ASSERT_EQ(read.size(), records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    for (std::size_t field = 0; field < contact_core::kContactFieldCount; ++field) {
      const auto id = static_cast<FieldId>(field);
      EXPECT_EQ(Utf8(read[i].Text(id)), Utf8(records[i].Text(id))) << "contact " << i << ", " << contact_core::kContactFields[field].name;
    }
  }
  EXPECT_EQ(report.Lines(), std::vector<std::string>{});
}

TEST(OutlookCsv, WritesOutlooksHeaderAndQuotesEveryField) {
  const std::string text = Written({contact_samples::WithFields({{FieldId::FirstName, u"Zoë"}, {FieldId::LastName, u"say \"hi\", then"}})});
  EXPECT_TRUE(text.starts_with("\xEF\xBB\xBF\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Company\",\"Business Street\","));
  EXPECT_NE(text.find("\"E-mail Address\",\"Entry ID\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n\"\",\"Zoë\",\"\",\"say \"\"hi\"\", then\",\"\","), std::string::npos);
  EXPECT_TRUE(text.ends_with("\"\"\r\n"));
}

TEST(OutlookCsv, ReadsOutlooksExportAndASpreadsheets) {
  ConversionReport report;
  const auto outlook = Read(SampleFile("outlook-export.csv"), report);
  ASSERT_EQ(outlook.size(), 2u);
  EXPECT_EQ(Utf8(outlook[0].Text(FieldId::Title)), "Mr.");
  EXPECT_EQ(Utf8(outlook[0].Text(FieldId::BusinessAddressStreet)), "1 Key Lane\r\nFloor 2");
  EXPECT_EQ(Utf8(outlook[0].Text(FieldId::BusinessAddressCountry)), "United Kingdom");
  EXPECT_EQ(Utf8(outlook[0].Text(FieldId::HomeAddressStreet)), "7 Chord Road\r\nFlat 1");
  EXPECT_EQ(Utf8(outlook[0].Text(FieldId::MobileTelephoneNumber)), "+44 7700 900003");
  EXPECT_EQ(Utf8(outlook[1].Text(FieldId::FirstName)), "Zoë");
  EXPECT_EQ(Utf8(outlook[1].Text(FieldId::OtherTelephoneNumber)), "+44 1632 960099");
  const std::map<std::string, std::size_t> skipped{{"column \"Birthday\"", 1}, {"column \"Department\"", 1},
                                                   {"column \"E-mail Display Name\"", 1}, {"column \"E-mail Type\"", 2},
                                                   {"column \"Job Title\"", 1}, {"column \"Notes\"", 1}};
  EXPECT_EQ(report.skipped, skipped);

  const auto sheet = Read(SampleFile("spreadsheet-semicolons.csv"));
  ASSERT_EQ(sheet.size(), 1u);
  EXPECT_EQ(Utf8(sheet[0].Text(FieldId::Email1Address)), "ines@example.pt");
  EXPECT_EQ(Utf8(sheet[0].Text(FieldId::FirstName)), "Inês");
  EXPECT_EQ(Utf8(sheet[0].Text(FieldId::MobileTelephoneNumber)), "+351 912 345 678");
}

TEST(OutlookCsv, ReadsTheFormsOthersWrite) {
  struct Case {
    const char* what;
    std::string bytes;
    FieldId field;
    std::u16string text;
  };
  const Case cases[] = {
      {"columns in any order, LF", "Last Name,First Name\nBerg,Ada\n", FieldId::FirstName, u"Ada"},
      {"header names in other case and spaced", " last name ,E-MAIL ADDRESS\r\nBerg,a@b\r\n", FieldId::Email1Address, u"a@b"},
      {"tabs", "First Name\tLast Name\r\nAda\tBerg\r\n", FieldId::LastName, u"Berg"},
      {"quoted comma and line break", "Last Name,Home Street\r\nBerg,\"1, Lane\r\nFlat\"\r\n", FieldId::HomeAddressStreet, u"1, Lane\r\nFlat"},
      {"missing values", "Last Name,First Name,Company\r\nBerg\r\n", FieldId::LastName, u"Berg"},
      {"no line end at the end", "Last Name\r\nBerg", FieldId::LastName, u"Berg"},
      {"quote left open", "Last Name\r\n\"Berg,\r\nAda", FieldId::LastName, u"Berg,\r\nAda"},
      {"text after a closing quote", "Last Name\r\n\"Be\"rg\r\n", FieldId::LastName, u"Berg"},
      {"Windows-1252", "Last Name\r\nM\xFCller \x80\r\n", FieldId::LastName, u"Müller €"},
      {"old Outlook country column", "Home Country\r\nNorge\r\n", FieldId::HomeAddressCountry, u"Norge"},
      {"street lines", "Other Street 3,Other Street,Other Street 2\r\nc,a,b\r\n", FieldId::OtherAddressStreet, u"a\r\nb\r\nc"},
      {"long value cut", "Mobile Phone\r\n" + std::string(40, '9') + "\r\n", FieldId::MobileTelephoneNumber, std::u16string(31, u'9')},
  };
  for (const Case& c : cases) {
    const auto records = Read(c.bytes);
    ASSERT_EQ(records.size(), 1u) << c.what;
    EXPECT_EQ(Utf8(records[0].Text(c.field)), Utf8(c.text)) << c.what;
  }
}

TEST(OutlookCsv, CountsWhatHasNoPlace) {
  ConversionReport report;
  const auto records = Read("Last Name,,Mobile Phone,Last Name\r\nBerg,x,,Again,extra\r\n\r\n" + std::string(3, ',') + "\r\n", report);
  EXPECT_EQ(records.size(), 2u);
  EXPECT_EQ(report.skipped, (std::map<std::string, std::size_t>{{"a column without a name", 1},
                                                                {"a second column for LastName", 1},
                                                                {"values past the last column", 1}}));
}

TEST(OutlookCsv, AFileWithoutOutlooksColumnsIsRefused) {
  EXPECT_THROW(Read("Name,Phone\r\nAda,1\r\n"), contact_core::ContactFormatError);
  EXPECT_THROW(Read("BEGIN:VCARD\r\nEND:VCARD\r\n"), contact_core::ContactFormatError);
  EXPECT_TRUE(Read("").empty());
  EXPECT_TRUE(Read("First Name\r\n").empty());
}

TEST(OutlookCsv, DamagedFilesAreReadWithinTheirBytes) {
  const auto read_settled = [](std::span<const char> bytes) {
    std::vector<ContactRecord> first;
    try {
      first = Read(std::string_view(bytes.data(), bytes.size()));
    } catch (const contact_core::ContactFormatError&) {
      return;
    }
    const auto second = Read(Written(first));
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(Read(Written(second)), second);
  };
  for (const char* name : {"outlook-export.csv", "spreadsheet-semicolons.csv"}) {
    const std::string text = SampleFile(name);
    const std::vector<char> valid(text.begin(), text.end());
    native_tests::ForEachTruncation(valid, [&](std::span<const char> prefix, std::size_t) { read_settled(prefix); });
    native_tests::ForEachRandomMutation(valid, native_tests::kMutationSeed, 300, read_settled);
  }
}

}  // namespace
