// Outlook CSV of any bytes: read without reading past them, and what was read
// comes back unchanged once it has passed through our writer and reader
// again (the first pass may replace what UTF-8 cannot hold).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_expect.h"
#include "outlook_csv_reader.h"
#include "outlook_csv_writer.h"

namespace {

using contact_core::ContactRecord;

std::vector<ContactRecord> Read(std::string_view bytes) {
  std::vector<ContactRecord> records;
  contact_core::ConversionReport report;
  try {
    contact_core::ReadOutlookCsv(bytes, report, [&](const ContactRecord& record) { records.push_back(record); });
  } catch (const contact_core::ContactFormatError&) {
    FUZZ_EXPECT(records.empty());
  }
  return records;
}

std::string Written(const std::vector<ContactRecord>& records) {
  std::string text = contact_core::OutlookCsvHeader();
  contact_core::ConversionReport report;
  for (const ContactRecord& record : records) contact_core::AppendOutlookCsvRow(record, text, report);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<ContactRecord> first = Read(bytes);
  const std::vector<ContactRecord> second = Read(Written(first));
  FUZZ_EXPECT(second.size() == first.size());
  FUZZ_EXPECT(Read(Written(second)) == second);
  return 0;
}
