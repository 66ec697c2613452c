#include "contact_listing.h"

#include <cstdio>

#include "console_text.h"

namespace device {
namespace {

using contact_core::FieldId;
using console_text::Utf8;

std::string MarkText(const Marks& marks) {
  if (marks.deleted) return "deleted";
  if (marks.changed) return "changed";
  return "";
}

}  // namespace

std::string DisplayName(const contact_core::ContactRecord& record) {
  std::string name = Utf8(record.Text(FieldId::LastName));
  const std::string first = Utf8(record.Text(FieldId::FirstName));
  if (!first.empty()) name += name.empty() ? first : ", " + first;
  if (name.empty()) name = "(no name)";
  const std::string company = Utf8(record.Text(FieldId::CompanyName));
  if (!company.empty()) name += " (" + company + ")";
  return name;
}

std::string ListLine(const Entry& entry) {
  char head[32];
  std::snprintf(head, sizeof head, "%5lu  %-7s  ", static_cast<unsigned long>(entry.objectId),
                MarkText(entry.marks).c_str());
  return head + DisplayName(entry.record);
}

std::string FullListing(const Entry& entry) {
  std::string text = "Contact " + std::to_string(entry.objectId);
  const std::string marks = MarkText(entry.marks);
  if (!marks.empty()) text += " (" + marks + " on the device)";
  text += "\n";
  for (std::size_t i = 0; i < contact_core::kContactFieldCount; ++i) {
    const auto value = entry.record.Text(static_cast<FieldId>(i));
    if (value.empty()) continue;
    char label[40];
    std::snprintf(label, sizeof label, "  %-26s ", std::string(contact_core::kContactFields[i].name).c_str());
    text += label + Utf8(value) + "\n";
  }
  return text;
}

}  // namespace device
