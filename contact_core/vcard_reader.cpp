#include "vcard_reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "utf8_text.h"

namespace contact_core {

namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::ranges::transform(upper, upper.begin(), AsciiUpper);
  return upper;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::ranges::equal(a, b, [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The physical lines of the file, without their line ends (CRLF, LF or CR).
std::vector<std::string_view> PhysicalLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] != '\r' && text[at] != '\n') continue;
    lines.push_back(text.substr(start, at - start));
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') ++at;
    start = at + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Where the value starts: after the first colon outside double quotes.
std::optional<std::size_t> ValueStart(std::string_view line) {
  bool quoted = false;
  for (std::size_t at = 0; at < line.size(); ++at) {
    if (line[at] == '"') quoted = !quoted;
    if (line[at] == ':' && !quoted) return at + 1;
  }
  return std::nullopt;
}

bool NamesQuotedPrintable(std::string_view name_and_parameters) {
  return Upper(name_and_parameters).find("QUOTED-PRINTABLE") != std::string::npos;
}

// Joins folded lines into logical ones. A line that starts with a space or a
// tab continues the one before: in 3.0 and 4.0 without that character; in
// 2.1, where folding happens only at white space, with it. A 2.1
// quoted-printable value that ends in "=" continues on the next line.
class Unfolder {
 public:
  std::vector<std::string> Unfold(std::string_view text) {
    for (const std::string_view line : PhysicalLines(text)) {
      const bool continues_fold = !lines_.empty() && !line.empty() && (line.front() == ' ' || line.front() == '\t');
      if (softBreak_) {
        lines_.back() += line;
      } else if (continues_fold) {
        lines_.back() += version21_ ? line : line.substr(1);
      } else {
        Start(line);
      }
      softBreak_ = false;
      if (quotedPrintable_ && !lines_.back().empty() && lines_.back().back() == '=') {
        lines_.back().pop_back();
        softBreak_ = true;
      }
    }
    return std::move(lines_);
  }

 private:
  void Start(std::string_view line) {
    lines_.emplace_back(line);
    const auto value_start = ValueStart(line);
    quotedPrintable_ = value_start && NamesQuotedPrintable(line.substr(0, *value_start));
    const std::string_view name = line.substr(0, value_start.value_or(0));
    if (EqualsIgnoringCase(Trim(name), "VERSION:")) version21_ = Trim(line.substr(*value_start)) == "2.1";
    if (EqualsIgnoringCase(Trim(line), "BEGIN:VCARD")) version21_ = false;
  }

  std::vector<std::string> lines_;
  bool quotedPrintable_ = false;
  bool softBreak_ = false;
  bool version21_ = false;
};

struct Parameter {
  std::string name;                 // upper case; empty for a 2.1 bare value such as "CELL"
  std::vector<std::string> values;  // upper case, without quotes
};

struct Property {
  std::string name;  // upper case, without its group
  std::vector<Parameter> parameters;
  std::string value;  // raw: still escaped and encoded

  // Whether the parameter `name` (TYPE also takes 2.1's bare values) has `value`, given in upper case.
  bool Has(std::string_view name, std::string_view value) const {
    return std::ranges::any_of(parameters, [&](const Parameter& parameter) {
      return (parameter.name == name || (name == "TYPE" && parameter.name.empty())) &&
             std::ranges::find(parameter.values, value) != parameter.values.end();
    });
  }
  // The first value of the parameter `name`, or nothing.
  std::string_view First(std::string_view name) const {
    for (const Parameter& parameter : parameters) {
      if (parameter.name == name && !parameter.values.empty()) return parameter.values.front();
    }
    return {};
  }
};

// Splits at `separator` outside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '"') quoted = !quoted;
    if (text[at] == separator && !quoted) {
      parts.push_back(text.substr(start, at - start));
      start = at + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Unquoted(std::string_view text) {
  std::string plain;
  for (const char c : text) {
    if (c != '"') plain += c;
  }
  return plain;
}

std::optional<Property> ParseProperty(std::string_view line) {
  const auto value_start = ValueStart(line);
  if (!value_start) return std::nullopt;
  std::vector<std::string_view> head = SplitOutsideQuotes(line.substr(0, *value_start - 1), ';');
  Property property;
  std::string_view name = Trim(head.front());
  if (const auto dot = name.rfind('.'); dot != std::string_view::npos) name.remove_prefix(dot + 1);
  if (name.empty()) return std::nullopt;
  property.name = Upper(name);
  for (std::size_t i = 1; i < head.size(); ++i) {
    const std::string_view text = Trim(head[i]);
    if (text.empty()) continue;
    Parameter parameter;
    std::string_view values = text;
    if (const auto equals = text.find('='); equals != std::string_view::npos && text.front() != '"') {
      parameter.name = Upper(Trim(text.substr(0, equals)));
      values = text.substr(equals + 1);
    }
    // TYPE="work,voice" says what TYPE=work,voice says.
    const std::string unquoted = Unquoted(values);
    for (const std::string_view value : SplitOutsideQuotes(unquoted, ',')) parameter.values.push_back(Upper(Trim(value)));
    property.parameters.push_back(std::move(parameter));
  }
  property.value = std::string(line.substr(*value_start));
  return property;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DecodeQuotedPrintable(std::string_view text) {
  std::string bytes;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '=' && at + 2 < text.size() && HexDigit(text[at + 1]) >= 0 && HexDigit(text[at + 2]) >= 0) {
      bytes += static_cast<char>(HexDigit(text[at + 1]) * 16 + HexDigit(text[at + 2]));
      at += 2;
    } else {
      bytes += text[at];
    }
  }
  return bytes;
}

// Lone LF or CR, and CRLF, all become CRLF: Outlook's line break.
std::u16string WithOutlookLineBreaks(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == u'\r' || text[at] == u'\n') {
      result += kLineBreak;
      if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') ++at;
    } else {
      result += text[at];
    }
  }
  return result;
}

class CardBuilder {
 public:
  explicit CardBuilder(ConversionReport& report) : report_(report) {}

  void Add(const Property& property) { properties_.push_back(property); }

  ContactRecord Build() {
    for (const Property& property : properties_) {
      if (property.name == "VERSION") version4_ = property.value.starts_with("4");
    }
    ContactRecord record;
    std::u16string formatted_name;
    for (const Property& property : properties_) {
      if (property.name == "FN") {
        if (formatted_name.empty()) formatted_name = Text(property);
      } else {
        Take(property, record);
      }
    }
    TakeFormattedName(formatted_name, record);
    return record;
  }

 private:
  // The value as text: decoded from quoted-printable and its charset, not yet unescaped.
  std::u16string Decoded(const Property& property) {
    const bool quoted_printable = property.Has("ENCODING", "QUOTED-PRINTABLE") || property.Has("TYPE", "QUOTED-PRINTABLE");
    const std::string bytes = quoted_printable ? DecodeQuotedPrintable(property.value) : property.value;
    const std::string_view charset = property.First("CHARSET");
    if (charset == "ISO-8859-1" || charset == "LATIN1") return Utf16FromLatin1(bytes);
    if (charset == "WINDOWS-1252" || charset == "CP1252") return Utf16FromWindows1252(bytes);
    if (!charset.empty() && charset != "UTF-8" && charset != "US-ASCII") report_.Note("unknown CHARSET " + std::string(charset) + " read as UTF-8 or Windows-1252");
    if (IsValidUtf8(bytes)) return Utf16FromUtf8(bytes);
    report_.Note("text that is not UTF-8, read as Windows-1252");
    return Utf16FromWindows1252(bytes);
  }

  // The components of a structured value, split at unescaped semicolons and unescaped.
  std::vector<std::u16string> Components(const Property& property) {
    const std::u16string text = Decoded(property);
    std::vector<std::u16string> components(1);
    for (std::size_t at = 0; at < text.size(); ++at) {
      const char16_t c = text[at];
      if (c == u'\\' && at + 1 < text.size()) {
        const char16_t next = text[++at];
        if (next == u'n' || next == u'N') {
          components.back() += kLineBreak;
        } else if (next == u'\\' || next == u',' || next == u';' || next == u':') {
          components.back() += next;
        } else {
          components.back() += c;
          components.back() += next;
        }
      } else if (c == u';') {
        components.emplace_back();
      } else {
        components.back() += c;
      }
    }
    for (std::u16string& component : components) component = WithOutlookLineBreaks(component);
    return components;
  }

  std::u16string Text(const Property& property) {
    std::u16string text;
    const auto components = Components(property);
    for (std::size_t i = 0; i < components.size(); ++i) {
      if (i > 0) text += u';';
      text += components[i];
    }
    return text;
  }

  // Components past `used` that hold something are counted as skipped.
  void SkipRest(const std::vector<std::u16string>& components, std::size_t used, std::string_view what) {
    for (std::size_t i = used; i < components.size(); ++i) {
      if (!components[i].empty()) report_.Skip(what);
    }
  }

  void Take(const Property& property, ContactRecord& record) {
    const std::string& name = property.name;
    if (name == "VERSION" || name == "PRODID" || name == "REV" || name == "PROFILE" || name == "KIND") return;
    if (name == "N") return TakeName(property, record);
    if (name == "ORG") {
      const auto components = Components(property);
      report_.PutIfEmpty(record, FieldId::CompanyName, components[0], "ORG (a further organisation)");
      return SkipRest(components, 1, "ORG unit");
    }
    if (name == "EMAIL") {
      report_.PutIfEmpty(record, FieldId::Email1Address, Text(property), "EMAIL (a further address)");
      return;
    }
    if (name == "TEL") return TakeTelephone(property, record);
    if (name == "ADR") return TakeAddress(property, record);
    if (name == "UID") {
      report_.PutIfEmpty(record, FieldId::EntryID, Text(property), "UID (a further one)");
      return;
    }
    if (!property.value.empty()) report_.Skip(name);
  }

  void TakeName(const Property& property, ContactRecord& record) {
    const auto components = Components(property);
    const FieldId fields[] = {FieldId::LastName, FieldId::FirstName, FieldId::MiddleName, FieldId::Title};
    for (std::size_t i = 0; i < std::size(fields) && i < components.size(); ++i) {
      report_.PutIfEmpty(record, fields[i], components[i], "N (a further name)");
    }
    SkipRest(components, std::size(fields), "N suffix");
  }

  void TakeTelephone(const Property& property, ContactRecord& record) {
    std::u16string number = Text(property);
    // A number written as a URI: 4.0's default for TEL, or said so.
    const bool uri = property.Has("VALUE", "URI") || (version4_ && !property.Has("VALUE", "TEXT"));
    if (uri && number.size() >= 4 &&
        EqualsIgnoringCase(std::string(number.begin(), number.begin() + 4), "tel:")) {
      number.erase(0, 4);
    }
    const auto has = [&](std::string_view type) { return property.Has("TYPE", type); };
    if (has("CELL")) {
      report_.PutIfEmpty(record, FieldId::MobileTelephoneNumber, number, "TEL (a further mobile number)");
    } else if (has("FAX") || has("PAGER") || has("VIDEO") || has("TEXTPHONE") || has("MODEM") || has("CAR") ||
               has("ISDN") || has("BBS") || has("MSG") || has("TEXT")) {
      if (!number.empty()) report_.Skip("TEL (fax, pager and other kinds of number)");
    } else if (has("HOME")) {
      report_.PutIfEmpty(record, FieldId::HomeTelephoneNumber, number, "TEL (a further home number)");
    } else if (has("WORK")) {
      report_.PutIfEmpty(record, FieldId::BusinessTelephoneNumber, number, "TEL (a further work number)");
    } else {
      report_.PutIfEmpty(record, FieldId::OtherTelephoneNumber, number, "TEL (a further number)");
    }
  }

  void TakeAddress(const Property& property, ContactRecord& record) {
    auto components = Components(property);
    components.resize(std::max<std::size_t>(components.size(), 7));
    if (std::ranges::all_of(components, [](const std::u16string& c) { return c.empty(); })) return;
    FieldId first = FieldId::OtherAddressStreet;
    if (property.Has("TYPE", "HOME")) {
      first = FieldId::HomeAddressStreet;
    } else if (property.Has("TYPE", "WORK")) {
      first = FieldId::BusinessAddressStreet;
    }
    const auto field = [first](std::size_t offset) { return static_cast<FieldId>(static_cast<std::size_t>(first) + offset); };
    for (std::size_t offset = 0; offset < 5; ++offset) {
      if (!record.Text(field(offset)).empty()) return report_.Skip("ADR (a further address)");
    }
    // Street, then the extended address and the post office box as further lines of it.
    std::u16string street = components[2];
    for (const std::u16string* more : {&components[1], &components[0]}) {
      if (more->empty()) continue;
      if (!street.empty()) street += kLineBreak;
      street += *more;
    }
    report_.Put(record, field(0), street);
    for (std::size_t offset = 1; offset < 5; ++offset) report_.Put(record, field(offset), components[2 + offset]);
    SkipRest(components, 7, "ADR (a further component)");
  }

  // FN stands for the name only when N gave none, and it is not a copy of
  // another value of the card (writers fill FN from the company, say).
  void TakeFormattedName(const std::u16string& formatted_name, ContactRecord& record) {
    if (formatted_name.empty()) return;
    for (const FieldId name : {FieldId::LastName, FieldId::FirstName, FieldId::MiddleName, FieldId::Title}) {
      if (!record.Text(name).empty()) return;
    }
    for (std::size_t i = 0; i < kContactFieldCount; ++i) {
      if (record.Text(static_cast<FieldId>(i)) == CutAtCharacter(formatted_name, kContactFields[i].span - 1)) return;
    }
    report_.Put(record, FieldId::LastName, formatted_name);
  }

  ConversionReport& report_;
  std::vector<Property> properties_;
  bool version4_ = false;
};

bool IsBlank(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

}  // namespace

void ReadVCards(std::string_view bytes, ConversionReport& report,
                const std::function<void(const ContactRecord&)>& take) {
  std::string from_utf16;
  if (const auto utf16 = Utf16FromMarkedUtf16(bytes)) {
    report.replacedCharacters += AppendUtf8(*utf16, from_utf16);
    bytes = from_utf16;
  }
  bytes = WithoutUtf8Mark(bytes);

  std::optional<CardBuilder> card;
  std::size_t nesting = 0;  // cards inside the current one (2.1's AGENT)
  std::size_t cards = 0;
  for (const std::string& line : Unfolder().Unfold(bytes)) {
    const std::string_view trimmed = Trim(line);
    if (EqualsIgnoringCase(trimmed, "BEGIN:VCARD")) {
      if (!card) {
        card.emplace(report);
      } else {
        ++nesting;
        report.Skip("a card inside a card (AGENT)");
      }
      continue;
    }
    if (EqualsIgnoringCase(trimmed, "END:VCARD")) {
      if (nesting > 0) {
        --nesting;
      } else if (card) {
        take(card->Build());
        ++cards;
        card.reset();
      } else {
        report.Note("END:VCARD without BEGIN:VCARD");
      }
      continue;
    }
    if (trimmed.empty() || nesting > 0) continue;
    if (!card) {
      report.Note("lines outside any card, ignored");
      continue;
    }
    if (const auto property = ParseProperty(line)) {
      card->Add(*property);
    } else {
      report.Note("lines that are not properties, ignored");
    }
  }
  if (card) {
    report.Note("the last card has no END:VCARD; read up to the end of the file");
    take(card->Build());
    ++cards;
  }
  if (cards == 0 && !IsBlank(bytes)) throw ContactFormatError("the file holds no vCard (no line BEGIN:VCARD)");
}

}  // namespace contact_core
