#include "conversion_report.h"

#include <algorithm>

#include "utf8_text.h"

namespace contact_core {

void ConversionReport::Put(ContactRecord& record, FieldId field, std::u16string_view text) {
  std::u16string without_zeros;
  if (text.find(u'\0') != std::u16string_view::npos) {
    std::ranges::copy_if(text, std::back_inserter(without_zeros), [](char16_t unit) { return unit != u'\0'; });
    text = without_zeros;
  }
  const std::u16string_view fitting = CutAtCharacter(text, Field(field).span - 1);
  if (fitting.size() != text.size()) ++cut[std::string(Field(field).name)];
  record.SetText(field, fitting);
}

bool ConversionReport::PutIfEmpty(ContactRecord& record, FieldId field, std::u16string_view text,
                                  std::string_view what) {
  if (text.empty()) return true;
  if (!record.Text(field).empty()) {
    Skip(what);
    return false;
  }
  Put(record, field, text);
  return true;
}

std::vector<std::string> ConversionReport::Lines() const {
  std::vector<std::string> lines;
  for (const auto& [what, count] : skipped) lines.push_back("skipped (no field for it): " + what + " x" + std::to_string(count));
  for (const auto& [field, count] : cut) lines.push_back("cut to fit: " + field + " x" + std::to_string(count));
  if (replacedCharacters > 0) {
    lines.push_back("characters the output cannot hold, written as U+FFFD: " + std::to_string(replacedCharacters));
  }
  for (const auto& [what, count] : notes) lines.push_back("note: " + what + " x" + std::to_string(count));
  return lines;
}

}  // namespace contact_core
