#include "outlook_csv_reader.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "outlook_csv_columns.h"
#include "utf8_text.h"

namespace contact_core {

namespace {

using Row = std::vector<std::u16string>;

std::u16string DecodedText(std::string_view bytes, ConversionReport& report) {
  if (auto utf16 = Utf16FromMarkedUtf16(bytes)) return std::move(*utf16);
  bytes = WithoutUtf8Mark(bytes);
  if (IsValidUtf8(bytes)) return Utf16FromUtf8(bytes);
  report.Note("the file is not UTF-8; read as Windows-1252");
  return Utf16FromWindows1252(bytes);
}

// The separator the header row uses most: comma, semicolon or tab.
char16_t Separator(std::u16string_view text) {
  std::size_t commas = 0, semicolons = 0, tabs = 0;
  bool quoted = false;
  for (const char16_t c : text) {
    if (c == u'"') quoted = !quoted;
    if (quoted) continue;
    if (c == u'\r' || c == u'\n') break;
    commas += c == u',';
    semicolons += c == u';';
    tabs += c == u'\t';
  }
  if (semicolons > commas && semicolons >= tabs) return u';';
  if (tabs > commas && tabs > semicolons) return u'\t';
  return u',';
}

// Splits the text into rows of fields. A quoted field keeps its separators
// and line breaks and turns each doubled quote into one; text after its
// closing quote is kept too.
class RowReader {
 public:
  RowReader(std::u16string_view text, ConversionReport& report) : text_(text), separator_(Separator(text)), report_(report) {}

  std::optional<Row> Next() {
    if (at_ >= text_.size()) return std::nullopt;
    Row row(1);
    bool quoted = false;
    while (at_ < text_.size()) {
      const char16_t c = text_[at_++];
      if (quoted) {
        if (c != u'"') {
          row.back() += c;
        } else if (at_ < text_.size() && text_[at_] == u'"') {
          row.back() += u'"';
          ++at_;
        } else {
          quoted = false;
        }
      } else if (c == u'"') {
        quoted = true;
      } else if (c == separator_) {
        row.emplace_back();
      } else if (c == u'\r' || c == u'\n') {
        if (c == u'\r' && at_ < text_.size() && text_[at_] == u'\n') ++at_;
        return row;
      } else {
        row.back() += c;
      }
    }
    if (quoted) report_.Note("a quoted field runs to the end of the file");
    return row;
  }

 private:
  std::u16string_view text_;
  std::size_t at_ = 0;
  char16_t separator_;
  ConversionReport& report_;
};

bool IsEmptyRow(const Row& row) { return row.size() == 1 && row.front().empty(); }

std::u16string Trimmed(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return std::u16string(text);
}

bool SameName(std::u16string_view header, std::string_view name) {
  const auto lower = [](char32_t c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
  return header.size() == name.size() &&
         std::ranges::equal(header, name, [&](char16_t a, char b) { return lower(a) == lower(static_cast<unsigned char>(b)); });
}

// What a column of the header means for the record.
struct ColumnUse {
  std::optional<FieldId> field;
  std::size_t streetLine = 0;  // 1 for "Home Street 2", 2 for "Home Street 3": further lines of the street
  std::string skippedAs;     // the column's name, for the report
};

const CsvColumn* Named(std::span<const CsvColumn> columns, std::u16string_view header) {
  const auto found = std::ranges::find_if(columns, [header](const CsvColumn& column) { return SameName(header, column.name); });
  return found == columns.end() ? nullptr : &*found;
}

ColumnUse UseOf(const std::u16string& header) {
  ColumnUse use;
  const CsvColumn* column = Named(kOutlookCsvColumns, header);
  if (!column) column = Named(kOlderOutlookCsvColumns, header);
  if (column) {
    use.field = column->field;
  } else if (const CsvColumn* line = Named(kOutlookCsvStreetLines, header)) {
    use.field = line->field;
    use.streetLine = line->name.ends_with('2') ? 1 : 2;
  } else {
    AppendUtf8(CutAtCharacter(header, 60), use.skippedAs);
    use.skippedAs = header.empty() ? "a column without a name" : "column \"" + use.skippedAs + "\"";
  }
  return use;
}

}  // namespace

void ReadOutlookCsv(std::string_view bytes, ConversionReport& report,
                    const std::function<void(const ContactRecord&)>& take) {
  const std::u16string text = DecodedText(bytes, report);
  RowReader rows(text, report);
  std::optional<Row> header;
  while ((header = rows.Next()) && IsEmptyRow(*header)) {
  }
  if (!header) return;

  std::vector<ColumnUse> uses;
  for (const std::u16string& name : *header) uses.push_back(UseOf(Trimmed(name)));
  if (std::ranges::none_of(uses, [](const ColumnUse& use) { return use.field.has_value(); })) {
    throw ContactFormatError("the first row names none of Outlook's columns (First Name, Last Name, E-mail Address, ...)");
  }

  while (const auto row = rows.Next()) {
    if (IsEmptyRow(*row)) continue;
    ContactRecord record;
    // The street's further lines join it after every column, in their order.
    std::map<FieldId, std::array<std::u16string, 3>> further_lines;
    for (std::size_t i = 0; i < row->size(); ++i) {
      const std::u16string& value = (*row)[i];
      if (value.empty()) continue;
      if (i >= uses.size()) {
        report.Skip("values past the last column");
        continue;
      }
      const ColumnUse& use = uses[i];
      const std::string second_column = "a second column for " + std::string(use.field ? Field(*use.field).name : "");
      if (!use.field) {
        report.Skip(use.skippedAs);
      } else if (use.streetLine > 0) {
        std::u16string& line = further_lines[*use.field][use.streetLine];
        if (line.empty()) {
          line = value;
        } else {
          report.Skip(second_column);
        }
      } else {
        report.PutIfEmpty(record, *use.field, value, second_column);
      }
    }
    for (auto& [field, lines] : further_lines) {
      lines[0] = record.Text(field);
      std::u16string street;
      for (const std::u16string& line : lines) {
        if (line.empty()) continue;
        if (!street.empty()) street += u"\r\n";
        street += line;
      }
      report.Put(record, field, street);
    }
    take(record);
  }
}

}  // namespace contact_core
