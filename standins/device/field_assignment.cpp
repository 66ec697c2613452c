#include "field_assignment.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace device {
namespace {

char16_t LowerAscii(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit - u'A' + u'a' : unit; }

bool SameIgnoringCase(std::u16string_view typed, std::string_view name) {
  return typed.size() == name.size() && std::equal(typed.begin(), typed.end(), name.begin(), [](char16_t a, char b) {
           return LowerAscii(a) == LowerAscii(static_cast<char16_t>(b));
         });
}

// Field names are ASCII; anything else the person typed shows as "?".
std::string Printable(std::u16string_view text) {
  std::string narrow;
  for (const char16_t unit : text) narrow.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  return narrow;
}

}  // namespace

std::optional<contact_core::FieldId> WritableFieldNamed(std::u16string_view name) {
  for (std::size_t i = static_cast<std::size_t>(contact_core::kFirstWritableField); i < contact_core::kContactFieldCount;
       ++i) {
    if (SameIgnoringCase(name, contact_core::kContactFields[i].name)) return static_cast<contact_core::FieldId>(i);
  }
  return std::nullopt;
}

void ApplyAssignment(std::u16string_view assignment, contact_core::ContactRecord& record) {
  const auto equals = assignment.find(u'=');
  if (equals == std::u16string_view::npos) {
    throw std::invalid_argument("\"" + Printable(assignment) + "\" is not of the form Field=Value");
  }
  const std::u16string_view name = assignment.substr(0, equals);
  const std::u16string_view value = assignment.substr(equals + 1);
  const auto field = WritableFieldNamed(name);
  if (!field) {
    throw std::invalid_argument(SameIgnoringCase(name, "EntryID")
                                    ? std::string("EntryID is assigned by the desktop and cannot be set")
                                    : "there is no contact field \"" + Printable(name) + "\"");
  }
  const std::size_t room = contact_core::Field(*field).span - 1;
  if (value.size() > room) {
    throw std::invalid_argument(std::string(contact_core::Field(*field).name) + " holds at most " +
                                std::to_string(room) + " characters; the value has " + std::to_string(value.size()));
  }
  if (value.find(u'\0') != std::u16string_view::npos) {
    throw std::invalid_argument(std::string(contact_core::Field(*field).name) + " cannot hold a zero character");
  }
  record.SetText(*field, value);
}

}  // namespace device
