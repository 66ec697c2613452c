// Writing contact records as CSV in the layout of Outlook's export (RFC 4180:
// every field quoted, quotes doubled, CRLF after each row), UTF-8 with a
// byte-order mark so that Outlook and spreadsheets take it for UTF-8. Plain
// C++, no Windows header.
#pragma once

#include <string>

#include "contact_record.h"
#include "conversion_report.h"

namespace contact_core {

// The byte-order mark and the header row.
std::string OutlookCsvHeader();
// Appends the row of `record` to `out`.
void AppendOutlookCsvRow(const ContactRecord& record, std::string& out, ConversionReport& report);

}  // namespace contact_core
