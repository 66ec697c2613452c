#include "contact_sources.h"

#include <cstddef>
#include <string>

#include "contact_file.h"
#include "outlook_csv_reader.h"
#include "vcard_reader.h"

namespace contact_convert {

namespace {

namespace contact_file = quillmere::contact_file;

// A vCard or CSV file is read whole; past this size it is surely not an address book.
constexpr std::uint64_t kLargestTextFile = 1ULL << 30;

std::unique_ptr<quillmere::FileAccess> OpenInput(const std::filesystem::path& path, PlatformFiles& files) {
  auto file = files.OpenToRead(path);
  if (!file) throw ConversionFailure("cannot open " + Shown(path) + " for reading");
  return file;
}

std::string ReadWhole(const std::filesystem::path& path, PlatformFiles& files) {
  const auto file = OpenInput(path, files);
  const auto size = file->Size();
  if (!size) throw ConversionFailure("cannot tell the size of " + Shown(path));
  if (*size > kLargestTextFile) throw ConversionFailure(Shown(path) + " is larger than 1 GB");
  std::string bytes(static_cast<std::size_t>(*size), '\0');
  if (!file->Seek(0) || file->Read(std::as_writable_bytes(std::span(bytes))) != bytes.size()) {
    throw ConversionFailure("cannot read " + Shown(path));
  }
  return bytes;
}

void ReadContactFile(const std::filesystem::path& path, PlatformFiles& files,
                     const std::function<void(const contact_core::ContactRecord&)>& take) {
  const auto file = OpenInput(path, files);
  const auto header = contact_file::ReadValidHeader(*file);
  if (!header) throw ConversionFailure(Shown(path) + " is not a valid contact file");
  contact_core::ContactRecord record;
  for (std::int32_t index = 0; index < header->recordCount; ++index) {
    if (!contact_file::ReadNextRecord(*file, record)) {
      throw ConversionFailure("cannot read contact " + std::to_string(index + 1) + " of " + Shown(path));
    }
    take(record);
  }
}

}  // namespace

std::string Shown(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  std::string shown(1, '"');
  shown.append(name.begin(), name.end());
  shown += '"';
  return shown;
}

void ReadContacts(const Arguments& arguments, PlatformFiles& files, contact_core::ConversionReport& report,
                  const std::function<void(const contact_core::ContactRecord&)>& take) {
  try {
    switch (arguments.inputFormat) {
      case FileFormat::ContactFile:
        return ReadContactFile(arguments.input, files, take);
      case FileFormat::VCard:
        return contact_core::ReadVCards(ReadWhole(arguments.input, files), report, take);
      case FileFormat::OutlookCsv:
        return contact_core::ReadOutlookCsv(ReadWhole(arguments.input, files), report, take);
    }
  } catch (const contact_core::ContactFormatError& error) {
    throw ConversionFailure(Shown(arguments.input) + ": " + error.what());
  }
}

}  // namespace contact_convert
