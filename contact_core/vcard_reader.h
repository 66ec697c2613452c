// Reading vCard files (2.1, 3.0 and 4.0) into contact records, as other
// programs write them: folded lines, escapes, CHARSET and QUOTED-PRINTABLE
// in 2.1, UTF-8 with or without a byte-order mark (UTF-16 when marked), CRLF,
// LF or CR, several cards to a file, grouped properties. The README's table
// says which property becomes which field; what has no field is counted in
// the report. Plain C++ over bytes, no Windows header.
#pragma once

#include <functional>
#include <string_view>

#include "contact_record.h"
#include "conversion_report.h"

namespace contact_core {

// Hands each card of `bytes` to `take` as a record, in file order. Throws
// ContactFormatError when bytes that are not all white space hold no card.
void ReadVCards(std::string_view bytes, ConversionReport& report,
                const std::function<void(const ContactRecord&)>& take);

}  // namespace contact_core
