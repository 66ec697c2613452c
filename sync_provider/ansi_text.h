// Text in the system's 8-bit (ANSI) code page, the form the service manager's
// records, persisted handles and the user's selection carry.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pelloquin {

std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

// The longest start of `text` of at most `limit` bytes that does not split a
// double-byte character.
std::string_view CutAnsi(std::string_view text, std::size_t limit);

// Copies `text` into a fixed field of a record, cut to fit with its
// terminating zero.
template <std::size_t N>
void CopyAnsiText(char (&field)[N], std::string_view text) {
  const std::string_view fitting = CutAnsi(text, N - 1);
  fitting.copy(field, fitting.size());
  field[fitting.size()] = '\0';
}

}  // namespace pelloquin
