// Contacts that test a conversion's corners: every field at its longest,
// text outside ASCII and outside the Basic Multilingual Plane, the
// characters that vCard and CSV escape, and contacts that have nothing but
// a company, an address part or nothing at all.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "contact_record.h"
#include "utf8_text.h"

namespace contact_samples {

using contact_core::ContactRecord;
using contact_core::FieldId;

// `pattern` repeated to exactly `units` code units, never ending in half a surrogate pair.
inline std::u16string Filled(std::u16string_view pattern, std::size_t units) {
  std::u16string text;
  while (text.size() < units) text += pattern;
  text.resize(units);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.back() = u'x';
  return text;
}

inline ContactRecord WithFields(std::initializer_list<std::pair<FieldId, std::u16string_view>> fields) {
  ContactRecord record;
  for (const auto& [field, text] : fields) record.SetText(field, text);
  return record;
}

// Every field as long as it can be, in the given pattern.
inline ContactRecord AtMaximumLength(std::u16string_view pattern) {
  ContactRecord record;
  for (std::size_t i = 0; i < contact_core::kContactFieldCount; ++i) {
    record.SetText(static_cast<FieldId>(i), Filled(pattern, contact_core::kContactFields[i].span - 1));
  }
  return record;
}

inline std::vector<ContactRecord> Records() {
  return {
      WithFields({{FieldId::EntryID, u"00000000A1B2C3D4E5F60718293A4B5C6D7E8F90A1B2C3D4"},
                  {FieldId::Title, u"Dr."},
                  {FieldId::FirstName, u"Léonie"},
                  {FieldId::MiddleName, u"Anne-Sophie"},
                  {FieldId::LastName, u"Varnault"},
                  {FieldId::CompanyName, u"Atelier Clairbois, Fils & Cie; Lyon"},
                  {FieldId::Email1Address, u"leonie@example.fr"},
                  {FieldId::MobileTelephoneNumber, u"+33 6 12 34 56 78"},
                  {FieldId::HomeAddressStreet, u"12 rue des Lilas\r\nBâtiment B; 3e étage"},
                  {FieldId::HomeAddressCity, u"Saint-Émoire"},
                  {FieldId::HomeAddressPostalCode, u"69000"},
                  {FieldId::HomeAddressCountry, u"France"},
                  {FieldId::HomeTelephoneNumber, u"+33 4 12 34 56 78"},
                  {FieldId::OtherAddressStreet, u"BP 42"},
                  {FieldId::OtherAddressCity, u"Lyon"},
                  {FieldId::OtherTelephoneNumber, u"+33 9 00 00 00 00"},
                  {FieldId::BusinessAddressStreet, u"1 quai \"Ouest\"\r\nC:\\Atelier\\n"},
                  {FieldId::BusinessAddressState, u"Rhône"},
                  {FieldId::BusinessTelephoneNumber, u"+33 4 98 76 54 32"}}),
      WithFields({{FieldId::LastName, u"𠮷野"}, {FieldId::FirstName, u"薫"}, {FieldId::CompanyName, u"𠮷野製作所 😀"}}),
      AtMaximumLength(u"Ab,;\\ é𠮷\"x"),
      AtMaximumLength(u"Громова "),
      AtMaximumLength(u"𠮷"),
      WithFields({{FieldId::CompanyName, u"Ablewhite Pianos"}}),
      WithFields({{FieldId::Email1Address, u"someone@example.org"}}),
      WithFields({{FieldId::BusinessAddressCity, u"Marrowgate"}}),
      WithFields({{FieldId::Title, u"Ms."}}),
      WithFields({{FieldId::EntryID, u"00000000FFEE"}}),
      ContactRecord{},
  };
}

// Text as UTF-8, so that a failing comparison shows it readably.
inline std::string Utf8(std::u16string_view text) {
  std::string utf8;
  contact_core::AppendUtf8(text, utf8);
  return utf8;
}

// The bytes of a hand-made file in tests/contact_core/samples.
inline std::string SampleFile(const std::string& name) {
  std::ifstream file(std::filesystem::path(SAMPLES_DIR) / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

}  // namespace contact_samples
