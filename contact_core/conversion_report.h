// What a conversion between file formats could not carry over exactly,
// counted so that the user is told: data with no field in the record,
// values cut to fit their field, characters that the target cannot hold.
// Nothing is dropped without being counted here.
#pragma once

#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "contact_record.h"

namespace contact_core {

// A file that is not of the format it was read as; what() says why.
class ContactFormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ConversionReport {
  std::map<std::string, std::size_t> skipped;  // what had no field, by what it was
  std::map<std::string, std::size_t> cut;      // values cut to fit, by field name
  std::map<std::string, std::size_t> notes;    // anything else the user should know
  std::size_t replacedCharacters = 0;          // characters the target could not hold, written as U+FFFD

  void Skip(std::string_view what) { ++skipped[std::string(what)]; }
  void Note(std::string_view what) { ++notes[std::string(what)]; }

  // Puts `text` (without any zero character) into the field, cut at a
  // character boundary to fit and counted when cut.
  void Put(ContactRecord& record, FieldId field, std::u16string_view text);
  // Puts `text` when the field is empty; otherwise counts `what` as skipped
  // and answers false. Empty text is never skipped.
  bool PutIfEmpty(ContactRecord& record, FieldId field, std::u16string_view text, std::string_view what);

  // One line per item, for the converter to print.
  std::vector<std::string> Lines() const;
};

}  // namespace contact_core
