// The contact record: the one form in which a contact leaves or enters
// Outlook. 3840 bytes of 26 zero-terminated UTF-16 fields, little-endian code
// units, no header. It is the body of every record of a contact file and of
// every sync packet, so its layout must never change.
//
// Plain C++ over bytes and char16_t: no Windows header, so the record can be
// built and fuzzed natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace contact_core {

inline constexpr std::size_t CONTACT_RECORD_SIZE = 3840;
inline constexpr std::size_t kContactRecordUnits = CONTACT_RECORD_SIZE / sizeof(char16_t);

// One field of the record: the Outlook contact property it carries, where it
// starts and how many code units it spans, terminator included.
struct ContactField {
  std::string_view name;
  std::size_t offset;  // in code units
  std::size_t span;    // in code units
};

inline constexpr std::size_t kContactFieldCount = 26;

// Index of a field in record order; also the order in which contacts are read.
enum class FieldId : std::size_t {
  EntryID,
  FirstName,
  LastName,
  MiddleName,
  Title,
  CompanyName,
  Email1Address,
  MobileTelephoneNumber,
  HomeAddressStreet,
  HomeAddressCity,
  HomeAddressState,
  HomeAddressPostalCode,
  HomeAddressCountry,
  HomeTelephoneNumber,
  OtherAddressStreet,
  OtherAddressCity,
  OtherAddressState,
  OtherAddressPostalCode,
  OtherAddressCountry,
  OtherTelephoneNumber,
  BusinessAddressStreet,
  BusinessAddressCity,
  BusinessAddressState,
  BusinessAddressPostalCode,
  BusinessAddressCountry,
  BusinessTelephoneNumber,
};

inline constexpr std::array<ContactField, kContactFieldCount> kContactFields = {{
    {"EntryID", 0, 64},
    {"FirstName", 64, 64},
    {"LastName", 128, 64},
    {"MiddleName", 192, 64},
    {"Title", 256, 64},
    {"CompanyName", 320, 64},
    {"Email1Address", 384, 256},
    {"MobileTelephoneNumber", 640, 32},
    {"HomeAddressStreet", 672, 256},
    {"HomeAddressCity", 928, 32},
    {"HomeAddressState", 960, 32},
    {"HomeAddressPostalCode", 992, 32},
    {"HomeAddressCountry", 1024, 32},
    {"HomeTelephoneNumber", 1056, 32},
    {"OtherAddressStreet", 1088, 256},
    {"OtherAddressCity", 1344, 32},
    {"OtherAddressState", 1376, 32},
    {"OtherAddressPostalCode", 1408, 32},
    {"OtherAddressCountry", 1440, 32},
    {"OtherTelephoneNumber", 1472, 32},
    {"BusinessAddressStreet", 1504, 256},
    {"BusinessAddressCity", 1760, 32},
    {"BusinessAddressState", 1792, 32},
    {"BusinessAddressPostalCode", 1824, 32},
    {"BusinessAddressCountry", 1856, 32},
    {"BusinessTelephoneNumber", 1888, 32},
}};

// Every field but EntryID is written back to Outlook; Outlook assigns EntryID.
inline constexpr FieldId kFirstWritableField = FieldId::FirstName;
inline constexpr std::size_t kWritableFieldCount = kContactFieldCount - 1;

constexpr const ContactField& Field(FieldId id) {
  return kContactFields[static_cast<std::size_t>(id)];
}

namespace layout_checks {
consteval bool FieldsAreContiguous() {
  std::size_t next = 0;
  for (const ContactField& field : kContactFields) {
    if (field.offset != next) return false;
    next += field.span;
  }
  return next == kContactRecordUnits;
}
}  // namespace layout_checks
static_assert(layout_checks::FieldsAreContiguous(),
              "fields must follow each other without gaps and fill the record");
static_assert(Field(FieldId::BusinessTelephoneNumber).offset * 2 == 0xEC0);

// The record in memory: 1920 code units in host order. Copy it in and out of
// its stored form with ToBytes / FromBytes, which fix the byte order.
struct ContactRecord {
  std::array<char16_t, kContactRecordUnits> units{};

  // The field's text: its code units up to the first zero, or the whole span
  // when a malformed record has no terminator there. Never reads past the field.
  std::u16string_view Text(FieldId id) const;

  // Replaces the field with `text`, cut at its first zero code unit and to
  // span - 1 code units (one fewer when the cut would split a surrogate pair),
  // and zeroes the rest of the field. Never writes past it.
  void SetText(FieldId id, std::u16string_view text);

  void Clear() { units.fill(0); }

  bool operator==(const ContactRecord&) const = default;
};
static_assert(sizeof(ContactRecord) == CONTACT_RECORD_SIZE);

using ContactRecordBytes = std::span<std::byte, CONTACT_RECORD_SIZE>;
using ConstContactRecordBytes = std::span<const std::byte, CONTACT_RECORD_SIZE>;

void ToBytes(const ContactRecord& record, ContactRecordBytes out);
ContactRecord FromBytes(ConstContactRecordBytes in);

}  // namespace contact_core
