#include "contact_record.h"

#include <algorithm>

namespace contact_core {

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::u16string_view ContactRecord::Text(FieldId id) const {
  const ContactField& field = Field(id);
  const std::u16string_view whole(units.data() + field.offset, field.span);
  return whole.substr(0, whole.find(u'\0'));
}

void ContactRecord::SetText(FieldId id, std::u16string_view text) {
  const ContactField& field = Field(id);
  text = text.substr(0, text.find(u'\0'));
  if (text.size() > field.span - 1) {
    // Cut on a character boundary: never keep the first half of a pair.
    std::size_t kept = field.span - 1;
    if (IsHighSurrogate(text[kept - 1]) && IsLowSurrogate(text[kept])) --kept;
    text = text.substr(0, kept);
  }
  char16_t* const begin = units.data() + field.offset;
  char16_t* const after_text = std::copy(text.begin(), text.end(), begin);
  std::fill(after_text, begin + field.span, u'\0');
}

void ToBytes(const ContactRecord& record, ContactRecordBytes out) {
  for (std::size_t i = 0; i < kContactRecordUnits; ++i) {
    const auto unit = static_cast<std::uint16_t>(record.units[i]);
    out[2 * i] = static_cast<std::byte>(unit & 0xFF);
    out[2 * i + 1] = static_cast<std::byte>(unit >> 8);
  }
}

ContactRecord FromBytes(ConstContactRecordBytes in) {
  ContactRecord record;
  for (std::size_t i = 0; i < kContactRecordUnits; ++i) {
    record.units[i] = static_cast<char16_t>(std::to_integer<std::uint16_t>(in[2 * i]) |
                                            std::to_integer<std::uint16_t>(in[2 * i + 1]) << 8);
  }
  return record;
}

}  // namespace contact_core
