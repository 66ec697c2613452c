// Writing contact records as vCard 3.0 (RFC 2426) or 4.0 (RFC 6350): one
// BEGIN:VCARD ... END:VCARD per contact, CRLF line ends, lines folded at 75
// octets without splitting a UTF-8 sequence, text escaped. The README's table
// says which field becomes which property. Plain C++, no Windows header.
#pragma once

#include <string>

#include "contact_record.h"
#include "conversion_report.h"

namespace contact_core {

enum class VCardVersion { V3, V4 };

// Appends the card of `record` to `out`, UTF-8 encoded.
void AppendVCard(const ContactRecord& record, VCardVersion version, std::string& out, ConversionReport& report);

}  // namespace contact_core
