// Text between the record's UTF-16 and the 8-bit encodings that vCard and
// CSV files use. Plain C++, no Windows header: the converter runs natively.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace contact_core {

// Appends `text` as UTF-8 to `out`. A surrogate without its partner cannot be
// written in UTF-8 and becomes U+FFFD; answers how many did.
std::size_t AppendUtf8(std::u16string_view text, std::string& out);

bool IsValidUtf8(std::string_view bytes);

// `bytes` as UTF-16. Each byte of a malformed, overlong or surrogate
// sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(std::string_view bytes);
// Bytes of Windows code page 1252 (which Outlook writes on Western systems);
// the five unassigned bytes map to the C1 controls of the same value.
std::u16string Utf16FromWindows1252(std::string_view bytes);
std::u16string Utf16FromLatin1(std::string_view bytes);
// The text of a file that starts with a UTF-16 byte-order mark (either byte
// order), without the mark; nothing for any other file. A last odd byte is
// dropped and an unpaired surrogate is kept as it is.
std::optional<std::u16string> Utf16FromMarkedUtf16(std::string_view bytes);
// `bytes` without a leading UTF-8 byte-order mark.
std::string_view WithoutUtf8Mark(std::string_view bytes);

// The longest start of `text` of at most `max_units` code units that does not
// end between the two halves of a surrogate pair.
std::u16string_view CutAtCharacter(std::u16string_view text, std::size_t max_units);

}  // namespace contact_core
