// Reading CSV files in the layout of Outlook's export, as Outlook, web
// address books and spreadsheets write them: quoted fields with embedded
// commas, quotes and line breaks, a header row naming the columns in any
// order, CRLF, LF or CR, UTF-8 with or without a byte-order mark (else
// Windows-1252, Outlook's own; UTF-16 when marked), comma, semicolon or tab
// between fields. Columns without a field are counted in the report. Plain
// C++ over bytes, no Windows header.
#pragma once

#include <functional>
#include <string_view>

#include "contact_record.h"
#include "conversion_report.h"

namespace contact_core {

// Hands each row after the header to `take` as a record, in file order.
// Throws ContactFormatError when the first row names none of Outlook's
// columns for the record's fields.
void ReadOutlookCsv(std::string_view bytes, ConversionReport& report,
                    const std::function<void(const ContactRecord&)>& take);

}  // namespace contact_core
