#include <gtest/gtest.h>

#include <filesystem>

#include "contact_samples.h"
#include "hostile_bytes.h"
#include "utf8_text.h"
#include "vcard_reader.h"
#include "vcard_writer.h"

namespace {

using contact_core::ContactRecord;
using contact_core::ConversionReport;
using contact_core::FieldId;
using contact_samples::SampleFile;
using contact_samples::Utf8;
using contact_core::VCardVersion;

std::vector<ContactRecord> Read(std::string_view bytes, ConversionReport& report) {
  std::vector<ContactRecord> records;
  contact_core::ReadVCards(bytes, report, [&](const ContactRecord& record) { records.push_back(record); });
  return records;
}

std::vector<ContactRecord> Read(std::string_view bytes) {
  ConversionReport report;
  return Read(bytes, report);
}

std::string Written(const std::vector<ContactRecord>& records, VCardVersion version) {
  std::string text;
  ConversionReport report;
  for (const ContactRecord& record : records) contact_core::AppendVCard(record, version, text, report);
  EXPECT_EQ(report.Lines(), std::vector<std::string>{});
  return text;
}

TEST(VCard, EveryFieldComesBackExactlyInBothVersions) {
  const auto records = contact_samples::Records();
  for (const auto version : {VCardVersion::V3, VCardVersion::V4}) {
    ConversionReport report;
    const auto read = Read(Written(records, version), report);
    ASSERT_EQ(read.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      for (std::size_t field = 0; field < contact_core::kContactFieldCount; ++field) {
        const auto id = static_cast<FieldId>(field);
        EXPECT_EQ(Utf8(read[i].Text(id)), Utf8(records[i].Text(id)))
            << "contact " << i << ", " << contact_core::kContactFields[field].name << ", version " << (version == VCardVersion::V4 ? 4 : 3);
      }
    }
    EXPECT_EQ(report.Lines(), std::vector<std::string>{});
  }
}

TEST(VCard, WrittenLinesAreFoldedAt75OctetsBetweenCharacters) {
  for (const auto version : {VCardVersion::V3, VCardVersion::V4}) {
    const std::string text = Written(contact_samples::Records(), version);
    ASSERT_TRUE(text.ends_with("\r\n"));
    std::size_t begins = 0, ends = 0;
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find("\r\n", start);
      ASSERT_NE(end, std::string::npos);
      const std::string_view line(text.data() + start, end - start);
      EXPECT_LE(line.size(), 75u) << line;
      EXPECT_TRUE(contact_core::IsValidUtf8(line)) << "a fold splits a character: " << line;
      EXPECT_EQ(line.find_first_of("\r\n"), std::string_view::npos);
      begins += line == "BEGIN:VCARD";
      ends += line == "END:VCARD";
      start = end + 2;
    }
    EXPECT_EQ(begins, contact_samples::Records().size());
    EXPECT_EQ(ends, begins);
  }
}

// `text` with its folds undone.
std::string Unfolded(std::string text) {
  for (std::size_t fold; (fold = text.find("\r\n ")) != std::string::npos;) text.erase(fold, 3);
  return text;
}

TEST(VCard, WritesTheMappedProperties) {
  const std::string v3 = Unfolded(Written({contact_samples::Records().front()}, VCardVersion::V3));
  for (const char* line : {"N:Varnault;Léonie;Anne-Sophie;Dr.;\r\n", "FN:Dr. Léonie Anne-Sophie Varnault\r\n",
                           "ORG:Atelier Clairbois\\, Fils & Cie\\; Lyon\r\n", "EMAIL;TYPE=INTERNET:leonie@example.fr\r\n",
                           "TEL;TYPE=CELL:+33 6 12 34 56 78\r\n", "TEL;TYPE=VOICE:+33 9 00 00 00 00\r\n",
                           "ADR;TYPE=HOME:;;12 rue des Lilas\\nBâtiment B\\; 3e étage;Saint-Émoire;;69000;France\r\n",
                           "ADR;TYPE=X-OTHER:;;BP 42;Lyon;;;\r\n", "UID:00000000A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4\r\n"}) {
    EXPECT_NE(v3.find(line), std::string::npos) << line;
  }
  const std::string v4 = Unfolded(Written({contact_samples::Records().front()}, VCardVersion::V4));
  for (const char* line : {"VERSION:4.0\r\n", "TEL;VALUE=text;TYPE=work:+33 4 98 76 54 32\r\n",
                           "UID;VALUE=text:00000000A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4\r\n", "EMAIL:leonie@example.fr\r\n"}) {
    EXPECT_NE(v4.find(line), std::string::npos) << line;
  }
}

// The hand-made cards, in the forms other programs write.
TEST(VCard, ReadsTheHandMadeCards) {
  struct Expected {
    const char* file;
    std::size_t card;
    FieldId field;
    std::u16string_view text;
  };
  const Expected table[] = {
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::LastName, u"Åström"},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::FirstName, u"Björn"},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::Title, u"Dr."},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::MobileTelephoneNumber, u"+46 70 123 45 67"},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::HomeTelephoneNumber, u"+46 8 123 456"},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::BusinessTelephoneNumber, u""},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::HomeAddressStreet, u"Storgatan 1\r\nLägenhet 4"},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::HomeAddressCity, u"Göteborg"},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::HomeAddressCountry, u"Sverige"},
      {"phone-2.1-quoted-printable.vcf", 0, FieldId::Email1Address, u"bjorn@example.se"},
      {"address-book-3.0.vcf", 0, FieldId::CompanyName, u"Greenline Surveys, Inc."},
      {"address-book-3.0.vcf", 0, FieldId::MiddleName, u"Ada"},
      {"address-book-3.0.vcf", 0, FieldId::Email1Address, u"juniper@example.ca"},
      {"address-book-3.0.vcf", 0, FieldId::OtherTelephoneNumber, u"+1 250 555 0104"},
      {"address-book-3.0.vcf", 0, FieldId::HomeAddressStreet, u"12 Harbour Road\r\nUnit 3"},
      {"address-book-3.0.vcf", 0, FieldId::BusinessAddressStreet, u"400 Wharf St.\r\nSuite 200"},
      {"address-book-3.0.vcf", 0, FieldId::OtherAddressStreet, u"PO Box 77"},
      {"address-book-3.0.vcf", 0, FieldId::EntryID, u"00000000A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4"},
      {"address-book-3.0.vcf", 1, FieldId::BusinessAddressCountry, u"Schweiz"},
      {"address-book-3.0.vcf", 1, FieldId::EntryID, u"urn:uuid:4fbe8971-0bc3-424c-9c26-36c3e1eff6b1"},
      {"web-4.0.vcf", 0, FieldId::LastName, u"𠮷野"},
      {"web-4.0.vcf", 0, FieldId::MobileTelephoneNumber, u"+81-90-5555-0101"},
      {"web-4.0.vcf", 0, FieldId::BusinessAddressStreet, u"川越野 1-2-3 長い住所の建物名と部屋番号がここに続きます"},
      {"web-4.0.vcf", 0, FieldId::BusinessAddressState, u"埼玉県"},
      {"web-4.0.vcf", 0, FieldId::OtherAddressCity, u"Othertown"},
      {"names-only.vcf", 0, FieldId::LastName, u"Marrowgate Piano Tuner"},
      {"names-only.vcf", 1, FieldId::LastName, u""},
      {"names-only.vcf", 1, FieldId::CompanyName, u"Ablewhite Pianos"},
  };
  for (const Expected& expected : table) {
    const auto records = Read(SampleFile(expected.file));
    ASSERT_GT(records.size(), expected.card) << expected.file;
    EXPECT_EQ(Utf8(records[expected.card].Text(expected.field)), Utf8(expected.text))
        << expected.file << " card " << expected.card << " " << contact_core::Field(expected.field).name;
  }
}

TEST(VCard, CountsWhatHasNoField) {
  ConversionReport report;
  Read(SampleFile("address-book-3.0.vcf"), report);
  const std::map<std::string, std::size_t> expected{{"BDAY", 1}, {"EMAIL (a further address)", 1}, {"NOTE", 1},
                                                    {"ORG unit", 1}, {"TITLE", 1}, {"X-ABLABEL", 1}};
  EXPECT_EQ(report.skipped, expected);
  ConversionReport phone;
  Read(SampleFile("phone-2.1-quoted-printable.vcf"), phone);
  EXPECT_EQ(phone.skipped, (std::map<std::string, std::size_t>{{"PHOTO", 1}, {"TEL (fax, pager and other kinds of number)", 1}}));
}

TEST(VCard, ReadsTheFormsOthersWrite) {
  struct Case {
    const char* what;
    std::string bytes;
    FieldId field;
    std::u16string text;
  };
  const std::string utf16_card = [] {
    std::string bytes = "\xFF\xFE";
    for (const char c : std::string_view("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Berg;Ada;;;\r\nEND:VCARD\r\n")) {
      bytes += c;
      bytes += '\0';
    }
    return bytes;
  }();
  const Case cases[] = {
      {"3.0 fold drops the space", "BEGIN:VCARD\nVERSION:3.0\nN:Lon\n g;;;;\nEND:VCARD\n", FieldId::LastName, u"Long"},
      {"2.1 fold keeps the space", "BEGIN:VCARD\nVERSION:2.1\nN:Long\n Name;;;;\nEND:VCARD\n", FieldId::LastName, u"Long Name"},
      {"tab fold", "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Ta\r\n\tb;;;;\r\nEND:VCARD\r\n", FieldId::LastName, u"Tab"},
      {"CR line ends", "BEGIN:VCARD\rVERSION:3.0\rN:Cr;;;;\rEND:VCARD\r", FieldId::LastName, u"Cr"},
      {"byte-order mark", "\xEF\xBB\xBF" "BEGIN:VCARD\r\nN:Bom;;;;\r\nEND:VCARD\r\n", FieldId::LastName, u"Bom"},
      {"UTF-16 with its mark", utf16_card, FieldId::FirstName, u"Ada"},
      {"lower-case names", "begin:vcard\nversion:3.0\nn:Low;;;;\nend:vcard\n", FieldId::LastName, u"Low"},
      {"escapes", "BEGIN:VCARD\nORG:a\\,b\\;c\\\\d\\ne\\Nf\\:g\\x\nEND:VCARD\n", FieldId::CompanyName, u"a,b;c\\d\r\ne\r\nf:g\\x"},
      {"grouped property", "BEGIN:VCARD\nitem7.TEL;TYPE=HOME:123\nEND:VCARD\n", FieldId::HomeTelephoneNumber, u"123"},
      {"quoted type list", "BEGIN:VCARD\nTEL;TYPE=\"voice,cell\":555\nEND:VCARD\n", FieldId::MobileTelephoneNumber, u"555"},
      {"several TYPE parameters", "BEGIN:VCARD\nADR;TYPE=postal;TYPE=work:;;1 Way;;;;\nEND:VCARD\n", FieldId::BusinessAddressStreet, u"1 Way"},
      {"untyped number is the other one", "BEGIN:VCARD\nTEL:999\nEND:VCARD\n", FieldId::OtherTelephoneNumber, u"999"},
      {"4.0 tel URI", "BEGIN:VCARD\nVERSION:4.0\nTEL;TYPE=work:tel:+1-555\nEND:VCARD\n", FieldId::BusinessTelephoneNumber, u"+1-555"},
      {"3.0 keeps tel: text", "BEGIN:VCARD\nVERSION:3.0\nTEL;TYPE=work:tel:+1\nEND:VCARD\n", FieldId::BusinessTelephoneNumber, u"tel:+1"},
      {"quoted-printable soft breaks", "BEGIN:VCARD\nVERSION:2.1\nN;ENCODING=QUOTED-PRINTABLE:Sch=\n=C3=B6n=\nberg;;;;\nEND:VCARD\n",
       FieldId::LastName, u"Schönberg"},
      {"bare QUOTED-PRINTABLE, Latin-1", "BEGIN:VCARD\nVERSION:2.1\nN;QUOTED-PRINTABLE;CHARSET=ISO-8859-1:M=FCller;;;;\nEND:VCARD\n",
       FieldId::LastName, u"Müller"},
      {"Windows-1252 without a charset", "BEGIN:VCARD\nN:\x80uro;;;;\nEND:VCARD\n", FieldId::LastName, u"€uro"},
      {"zero character dropped", std::string("BEGIN:VCARD\nN:a\0b;;;;\nEND:VCARD\n", 30), FieldId::LastName, u"ab"},
      {"FN when N is missing", "BEGIN:VCARD\nFN:Only Formatted\nEND:VCARD\n", FieldId::LastName, u"Only Formatted"},
      {"a card inside a card is skipped", "BEGIN:VCARD\nN:Outer;;;;\nAGENT:BEGIN:VCARD\nBEGIN:VCARD\nN:Inner;;;;\nEND:VCARD\nEND:VCARD\n",
       FieldId::LastName, u"Outer"},
      {"no END", "BEGIN:VCARD\nN:Cut;;;;", FieldId::LastName, u"Cut"},
      {"long value cut between characters", "BEGIN:VCARD\nN:" + std::string(40, 'a') + Utf8(contact_samples::Filled(u"𠮷", 60)) + ";;;;\nEND:VCARD\n",
       FieldId::LastName, std::u16string(40, u'a') + contact_samples::Filled(u"𠮷", 22)},
  };
  for (const Case& c : cases) {
    ConversionReport report;
    const auto records = Read(c.bytes, report);
    ASSERT_EQ(records.size(), 1u) << c.what;
    EXPECT_EQ(Utf8(records[0].Text(c.field)), Utf8(c.text)) << c.what;
  }
}

TEST(VCard, CountsValuesCutToFit) {
  ConversionReport report;
  Read("BEGIN:VCARD\nN:" + std::string(70, 'a') + ";;;;\nEMAIL:" + std::string(300, 'e') + "\nEND:VCARD\n", report);
  EXPECT_EQ(report.cut, (std::map<std::string, std::size_t>{{"Email1Address", 1}, {"LastName", 1}}));
}

TEST(VCard, BytesWithoutACardAreRefused) {
  EXPECT_THROW(Read("this is not a vCard\n"), contact_core::ContactFormatError);
  EXPECT_THROW(Read("\x89PNG\r\n\x1A\n"), contact_core::ContactFormatError);
  EXPECT_TRUE(Read("").empty());
  EXPECT_TRUE(Read(" \r\n\r\n").empty());
}

// Damaged copies of every card file: read within their bytes (the sanitizers
// watch), and what is read goes through the writer and back unchanged.
TEST(VCard, DamagedFilesAreReadWithinTheirBytes) {
  const auto read_settled = [](std::span<const char> bytes) {
    std::vector<ContactRecord> first;
    try {
      first = Read(std::string_view(bytes.data(), bytes.size()));
    } catch (const contact_core::ContactFormatError&) {
      return;
    }
    for (const auto version : {VCardVersion::V3, VCardVersion::V4}) {
      const auto second = Read(Written(first, version));
      ASSERT_EQ(second.size(), first.size());
      EXPECT_EQ(Read(Written(second, version)), second);
    }
  };
  for (const auto& entry : std::filesystem::directory_iterator(SAMPLES_DIR)) {
    if (entry.path().extension() != ".vcf") continue;
    const std::string text = SampleFile(entry.path().filename().string());
    const std::vector<char> valid(text.begin(), text.end());
    native_tests::ForEachTruncation(valid, [&](std::span<const char> prefix, std::size_t) { read_settled(prefix); });
    native_tests::ForEachRandomMutation(valid, native_tests::kMutationSeed, 300, read_settled);
  }
}

}  // namespace
