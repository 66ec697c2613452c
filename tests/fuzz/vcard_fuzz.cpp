// vCard of any bytes: read without reading past them, and what was read comes
// back unchanged once it has passed through our writer and reader again, in
// both versions we write (the first pass may normalise: line breaks, text
// the writer cannot hold).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_expect.h"
#include "vcard_reader.h"
#include "vcard_writer.h"

namespace {

using contact_core::ContactRecord;

std::vector<ContactRecord> Read(std::string_view bytes) {
  std::vector<ContactRecord> records;
  contact_core::ConversionReport report;
  try {
    contact_core::ReadVCards(bytes, report, [&](const ContactRecord& record) { records.push_back(record); });
  } catch (const contact_core::ContactFormatError&) {
    FUZZ_EXPECT(records.empty());
  }
  return records;
}

std::string Written(const std::vector<ContactRecord>& records, contact_core::VCardVersion version) {
  std::string text;
  contact_core::ConversionReport report;
  for (const ContactRecord& record : records) contact_core::AppendVCard(record, version, text, report);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<ContactRecord> first = Read(bytes);
  for (const auto version : {contact_core::VCardVersion::V3, contact_core::VCardVersion::V4}) {
    const std::vector<ContactRecord> second = Read(Written(first, version));
    FUZZ_EXPECT(second.size() == first.size());
    FUZZ_EXPECT(Read(Written(second, version)) == second);
  }
  return 0;
}
