#include "outlook_csv_writer.h"

#include "outlook_csv_columns.h"
#include "utf8_text.h"

namespace contact_core {

namespace {

// Appends `utf8` as a quoted field, its quotes doubled; line breaks stay as they are.
void AppendQuoted(std::string_view utf8, std::string& out) {
  out += '"';
  for (const char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

std::string OutlookCsvHeader() {
  std::string header = "\xEF\xBB\xBF";
  for (const CsvColumn& column : kOutlookCsvColumns) {
    if (&column != &kOutlookCsvColumns.front()) header += ',';
    AppendQuoted(column.name, header);
  }
  header += "\r\n";
  return header;
}

void AppendOutlookCsvRow(const ContactRecord& record, std::string& out, ConversionReport& report) {
  std::string value;
  for (const CsvColumn& column : kOutlookCsvColumns) {
    if (&column != &kOutlookCsvColumns.front()) out += ',';
    value.clear();
    report.replacedCharacters += AppendUtf8(record.Text(column.field), value);
    AppendQuoted(value, out);
  }
  out += "\r\n";
}

}  // namespace contact_core
