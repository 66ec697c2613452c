#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "contact_record.h"
#include "hostile_bytes.h"

namespace {

using contact_core::CONTACT_RECORD_SIZE;
using contact_core::ContactRecord;
using contact_core::FieldId;
using contact_core::kContactFields;

using RecordBytes = std::array<std::byte, CONTACT_RECORD_SIZE>;

FieldId IdOf(std::size_t index) { return static_cast<FieldId>(index); }

RecordBytes BytesOf(const ContactRecord& record) {
  RecordBytes bytes{};
  contact_core::ToBytes(record, bytes);
  return bytes;
}

// Records whose units are anything at all: a record read from a hostile file
// is exactly that.
ContactRecord RandomRecord(std::mt19937& random) {
  ContactRecord record;
  std::uniform_int_distribution<unsigned> unit(0, 0xFFFF);
  std::bernoulli_distribution zero(0.02);
  for (char16_t& value : record.units) value = zero(random) ? u'\0' : static_cast<char16_t>(unit(random));
  return record;
}

TEST(ContactRecordRobustness, BytesRoundTripWhateverTheUnits) {
  std::mt19937 random(native_tests::kMutationSeed);
  std::vector<ContactRecord> records(3);
  records[1].units.fill(u'\xFFFF');
  records[2].SetText(FieldId::LastName, u"Berg\xD800\xDFFF");
  for (int round = 0; round < 500; ++round) records.push_back(RandomRecord(random));

  for (const ContactRecord& record : records) {
    const RecordBytes bytes = BytesOf(record);
    EXPECT_EQ(contact_core::FromBytes(bytes), record);
    EXPECT_EQ(std::to_integer<unsigned>(bytes[0]) | std::to_integer<unsigned>(bytes[1]) << 8,
              static_cast<unsigned>(record.units[0]))
        << "the first unit is stored little-endian";
  }
}

TEST(ContactRecordRobustness, TextOfAHostileRecordStaysInsideItsField) {
  std::mt19937 random(native_tests::kMutationSeed + 1);
  std::vector<ContactRecord> records{RandomRecord(random)};
  records.emplace_back().units.fill(u'A');  // no terminator anywhere
  for (int round = 0; round < 1000; ++round) records.push_back(RandomRecord(random));

  for (const ContactRecord& record : records) {
    for (std::size_t index = 0; index < kContactFields.size(); ++index) {
      const auto& field = kContactFields[index];
      const std::u16string_view text = record.Text(IdOf(index));
      ASSERT_LE(text.size(), field.span) << field.name;
      ASSERT_EQ(text.find(u'\0'), std::u16string_view::npos) << field.name;
      ASSERT_EQ(text.data(), record.units.data() + field.offset) << field.name;
      if (text.size() < field.span) {
        ASSERT_EQ(record.units[field.offset + text.size()], u'\0') << field.name;
      }
    }
  }
}

TEST(ContactRecordRobustness, SetTextNeverWritesPastItsField) {
  const std::u16string longer_than_any(300, u'x');
  const std::u16string with_zero = u"Berg" + std::u16string(1, u'\0') + u"hidden";
  struct Case {
    const char* what;
    std::u16string text;
    std::size_t kept;  // units kept; SIZE_MAX = span - 1
  };
  const Case cases[] = {
      {"empty", u"", 0},
      {"longer than any field", longer_than_any, SIZE_MAX},
      {"embedded zero", with_zero, 4},
  };
  for (const Case& c : cases) {
    for (std::size_t index = 0; index < kContactFields.size(); ++index) {
      const auto& field = kContactFields[index];
      ContactRecord record;
      record.units.fill(u'#');
      record.SetText(IdOf(index), c.text);

      const std::size_t kept = c.kept == SIZE_MAX ? field.span - 1 : c.kept;
      EXPECT_EQ(record.Text(IdOf(index)), std::u16string_view(c.text).substr(0, kept)) << c.what << ' ' << field.name;
      for (std::size_t unit = 0; unit < record.units.size(); ++unit) {
        const bool inside = unit >= field.offset && unit < field.offset + field.span;
        const char16_t expected = !inside ? u'#' : unit >= field.offset + kept ? u'\0' : record.units[unit];
        ASSERT_EQ(record.units[unit], expected) << c.what << ' ' << field.name << " unit " << unit;
      }
    }
  }
}

}  // namespace
