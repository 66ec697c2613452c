#include "utf8_text.h"

#include <array>
#include <cstdint>

namespace contact_core {

namespace {

constexpr char16_t kReplacement = u'\xFFFD';

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendCodePoint(char32_t code_point, std::string& out) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

void AppendUtf16(char32_t code_point, std::u16string& out) {
  if (code_point < 0x10000) {
    out += static_cast<char16_t>(code_point);
  } else {
    code_point -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code_point >> 10));
    out += static_cast<char16_t>(0xDC00 + (code_point & 0x3FF));
  }
}

// The code point of the well-formed UTF-8 sequence at `bytes[at]`, and its
// length; length 0 when the bytes there are not one.
struct Decoded {
  char32_t codePoint = 0;
  std::size_t length = 0;
};

Decoded DecodeAt(std::string_view bytes, std::size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t code_point = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, code_point = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, code_point = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, code_point = lead & 0x07, smallest = 0x10000;
  } else {
    return {};
  }
  if (bytes.size() - at < length) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(bytes[at + i]);
    if ((next & 0xC0) != 0x80) return {};
    code_point = (code_point << 6) | (next & 0x3F);
  }
  if (code_point < smallest || code_point > 0x10FFFF || IsHighSurrogate(code_point) || IsLowSurrogate(code_point)) {
    return {};
  }
  return {code_point, length};
}

}  // namespace

std::size_t AppendUtf8(std::u16string_view text, std::string& out) {
  std::size_t replaced = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      AppendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00), out);
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendCodePoint(kReplacement, out);
      ++replaced;
    } else {
      AppendCodePoint(unit, out);
    }
  }
  return replaced;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const Decoded decoded = DecodeAt(bytes, at);
    if (decoded.length == 0) return false;
    at += decoded.length;
  }
  return true;
}

std::u16string Utf16FromUtf8(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    const Decoded decoded = DecodeAt(bytes, at);
    if (decoded.length == 0) {
      text += kReplacement;
      ++at;
    } else {
      AppendUtf16(decoded.codePoint, text);
      at += decoded.length;
    }
  }
  return text;
}

std::u16string Utf16FromWindows1252(std::string_view bytes) {
  // 0x80 to 0x9F; the rest of the code page is Latin-1.
  static constexpr std::array<char16_t, 32> kHighControls = {
      u'\x20AC', u'\x0081', u'\x201A', u'\x0192', u'\x201E', u'\x2026', u'\x2020', u'\x2021',
      u'\x02C6', u'\x2030', u'\x0160', u'\x2039', u'\x0152', u'\x008D', u'\x017D', u'\x008F',
      u'\x0090', u'\x2018', u'\x2019', u'\x201C', u'\x201D', u'\x2022', u'\x2013', u'\x2014',
      u'\x02DC', u'\x2122', u'\x0161', u'\x203A', u'\x0153', u'\x009D', u'\x017E', u'\x0178'};
  std::u16string text;
  text.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    text += value >= 0x80 && value < 0xA0 ? kHighControls[value - 0x80] : static_cast<char16_t>(value);
  }
  return text;
}

std::u16string Utf16FromLatin1(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (const char byte : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return text;
}

std::optional<std::u16string> Utf16FromMarkedUtf16(std::string_view bytes) {
  if (bytes.size() < 2) return std::nullopt;
  const auto first = static_cast<unsigned char>(bytes[0]);
  const auto second = static_cast<unsigned char>(bytes[1]);
  const bool little_endian = first == 0xFF && second == 0xFE;
  if (!little_endian && !(first == 0xFE && second == 0xFF)) return std::nullopt;
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t at = 2; at + 1 < bytes.size(); at += 2) {
    const auto low = static_cast<unsigned char>(bytes[little_endian ? at : at + 1]);
    const auto high = static_cast<unsigned char>(bytes[little_endian ? at + 1 : at]);
    text += static_cast<char16_t>(low | high << 8);
  }
  return text;
}

std::string_view WithoutUtf8Mark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
}

std::u16string_view CutAtCharacter(std::u16string_view text, std::size_t max_units) {
  if (text.size() <= max_units) return text;
  std::size_t length = max_units;
  if (length > 0 && IsHighSurrogate(text[length - 1]) && IsLowSurrogate(text[length])) --length;
  return text.substr(0, length);
}

}  // namespace contact_core
