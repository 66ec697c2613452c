// Automation looks member names up without regard to letter case; every name
// the stand-in knows is ASCII, so ASCII folding is the whole rule.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace outlook_standin {

constexpr wchar_t AsciiLower(wchar_t unit) {
  return (unit >= L'A' && unit <= L'Z') ? static_cast<wchar_t>(unit - L'A' + L'a') : unit;
}

constexpr wchar_t AsciiUpper(wchar_t unit) {
  return (unit >= L'a' && unit <= L'z') ? static_cast<wchar_t>(unit - L'a' + L'A') : unit;
}

constexpr bool EqualsIgnoringAsciiCase(std::wstring_view left, std::wstring_view right) {
  return left.size() == right.size() &&
         std::equal(left.begin(), left.end(), right.begin(),
                    [](wchar_t a, wchar_t b) { return AsciiLower(a) == AsciiLower(b); });
}

inline std::wstring AsciiLowered(std::wstring_view text) {
  std::wstring lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), AsciiLower);
  return lowered;
}

inline std::wstring AsciiUppered(std::wstring_view text) {
  std::wstring uppered(text);
  std::transform(uppered.begin(), uppered.end(), uppered.begin(), AsciiUpper);
  return uppered;
}

}  // namespace outlook_standin
