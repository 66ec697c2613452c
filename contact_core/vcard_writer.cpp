#include "vcard_writer.h"

#include <array>
#include <string_view>

#include "utf8_text.h"

namespace contact_core {

namespace {

constexpr std::size_t kLineOctets = 75;

// The value escaped as vCard text: backslash, comma and semicolon escaped,
// each line break (CRLF, LF or CR) written as \n.
std::u16string Escaped(std::u16string_view text) {
  std::u16string escaped;
  escaped.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char16_t c = text[at];
    if (c == u'\\' || c == u',' || c == u';') {
      escaped += u'\\';
      escaped += c;
    } else if (c == u'\r' || c == u'\n') {
      escaped += u"\\n";
      if (c == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') ++at;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

class CardWriter {
 public:
  CardWriter(const ContactRecord& record, VCardVersion version, std::string& out, ConversionReport& report)
      : record_(record), v4_(version == VCardVersion::V4), out_(out), report_(report) {}

  void Write() {
    Line("BEGIN:VCARD");
    Line(v4_ ? "VERSION:4.0" : "VERSION:3.0");
    Property("N", {FieldId::LastName, FieldId::FirstName, FieldId::MiddleName, FieldId::Title}, 5);
    Property("FN", FormattedName());
    Optional("ORG", FieldId::CompanyName);
    Optional(v4_ ? "EMAIL" : "EMAIL;TYPE=INTERNET", FieldId::Email1Address);
    Telephone("cell", FieldId::MobileTelephoneNumber);
    Telephone("home", FieldId::HomeTelephoneNumber);
    Telephone("work", FieldId::BusinessTelephoneNumber);
    Telephone("voice", FieldId::OtherTelephoneNumber);
    Address("home", FieldId::HomeAddressStreet);
    Address("work", FieldId::BusinessAddressStreet);
    Address("x-other", FieldId::OtherAddressStreet);
    Optional(v4_ ? "UID;VALUE=text" : "UID", FieldId::EntryID);
    Line("END:VCARD");
  }

 private:
  std::string Type(std::string_view type) const {
    std::string written(type);
    if (!v4_) {
      for (char& c : written) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return ";TYPE=" + written;
  }

  void Telephone(std::string_view type, FieldId field) {
    Optional(std::string("TEL") + (v4_ ? ";VALUE=text" : "") + Type(type), field);
  }

  void Address(std::string_view type, FieldId street) {
    const auto first = static_cast<std::size_t>(street);
    std::array<FieldId, 5> parts{};
    bool any = false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      parts[i] = static_cast<FieldId>(first + i);
      any = any || !record_.Text(parts[i]).empty();
    }
    if (!any) return;
    std::u16string value = u";;";
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (i > 0) value += u';';
      value += Escaped(record_.Text(parts[i]));
    }
    Property("ADR" + Type(type), value);
  }

  // The name as people read it, else the first other value the contact has,
  // since FN must not be empty; a reader takes FN for the name only when it
  // is none of the card's other values.
  std::u16string FormattedName() const {
    std::u16string name;
    for (const FieldId part : {FieldId::Title, FieldId::FirstName, FieldId::MiddleName, FieldId::LastName}) {
      if (record_.Text(part).empty()) continue;
      if (!name.empty()) name += u' ';
      name += record_.Text(part);
    }
    if (!name.empty()) return Escaped(name);
    for (std::size_t i = static_cast<std::size_t>(kFirstWritableField); i < kContactFieldCount; ++i) {
      const std::u16string_view text = record_.Text(static_cast<FieldId>(i));
      if (!text.empty()) return Escaped(text);
    }
    return {};
  }

  void Property(std::string_view name, std::initializer_list<FieldId> fields, std::size_t components) {
    std::u16string value;
    std::size_t written = 0;
    for (const FieldId field : fields) {
      if (written++ > 0) value += u';';
      value += Escaped(record_.Text(field));
    }
    for (; written < components; ++written) value += u';';
    Property(name, value);
  }

  void Optional(std::string_view name, FieldId field) {
    if (!record_.Text(field).empty()) Property(name, Escaped(record_.Text(field)));
  }

  void Property(std::string_view name, std::u16string_view escaped_value) {
    std::string line(name);
    line += ':';
    report_.replacedCharacters += AppendUtf8(escaped_value, line);
    Line(line);
  }

  // Writes the line folded: at most 75 octets to a physical line, each
  // continuation starting with a space, never inside a UTF-8 sequence.
  void Line(std::string_view line) {
    std::size_t room = kLineOctets;
    while (line.size() > room) {
      std::size_t cut = room;
      while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
      out_.append(line.substr(0, cut));
      out_ += "\r\n ";
      line.remove_prefix(cut);
      room = kLineOctets - 1;
    }
    out_.append(line);
    out_ += "\r\n";
  }

  const ContactRecord& record_;
  const bool v4_;
  std::string& out_;
  ConversionReport& report_;
};

}  // namespace

void AppendVCard(const ContactRecord& record, VCardVersion version, std::string& out, ConversionReport& report) {
  CardWriter(record, version, out, report).Write();
}

}  // namespace contact_core
