#include "contact_file.h"

#include <array>
#include <cstddef>
#include <limits>
#include <string>

namespace quillmere::contact_file {

namespace {

using contact_core::ContactRecord;

constexpr std::uint64_t kLargestFile = std::numeric_limits<std::int32_t>::max();

std::optional<std::int32_t> ReadInt32(FileAccess& file) {
  std::array<std::byte, 4> bytes{};
  if (file.Read(bytes) != bytes.size()) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    value |= std::to_integer<std::uint32_t>(bytes[index]) << (8 * index);
  }
  return static_cast<std::int32_t>(value);
}

std::optional<Header> ReadHeader(FileAccess& file) {
  if (!file.Seek(0)) return std::nullopt;
  const auto total_length = ReadInt32(file);
  if (!total_length) return std::nullopt;
  const auto record_count = ReadInt32(file);
  if (!record_count) return std::nullopt;
  return Header{*total_length, *record_count};
}

// One transfer of the whole header.
bool WriteHeader(FileAccess& file, const Header& header) {
  std::array<std::byte, kHeaderSize> bytes{};
  const std::uint32_t fields[] = {static_cast<std::uint32_t>(header.totalLength),
                                  static_cast<std::uint32_t>(header.recordCount)};
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    bytes[index] = static_cast<std::byte>((fields[index / 4] >> (8 * (index % 4))) & 0xFF);
  }
  return file.Seek(0) && file.Write(bytes);
}

bool FitsAnotherRecord(const Header& header) {
  return RecordOffset(header.recordCount + 1ULL) <= kLargestFile;
}

bool WriteRecord(FileAccess& file, std::uint64_t offset, const ContactRecord& record) {
  std::array<std::byte, kRecordSize> bytes;
  contact_core::ToBytes(record, bytes);
  return file.Seek(offset) && file.Write(bytes);
}

// Best effort: the caller already reports the failure that brought it here.
void PutBack(FileAccess& file, const AppendPlace& place) {
  if (place.sizeBefore >= kHeaderSize) WriteHeader(file, place.header);
  file.Truncate(place.sizeBefore);
}

}  // namespace

bool IsValid(std::uint64_t file_size, const Header& header) {
  if (file_size < kHeaderSize || header.totalLength < 0) return false;
  if (static_cast<std::uint64_t>(header.totalLength) != file_size) return false;
  return header.recordCount >= 0 &&
         static_cast<std::uint64_t>(header.recordCount) == (file_size - kHeaderSize) / kRecordSize;
}

std::optional<Header> ReadValidHeader(FileAccess& file) {
  const auto size = file.Size();
  if (!size || *size < kHeaderSize) return std::nullopt;
  const auto header = ReadHeader(file);
  if (!header || !IsValid(*size, *header)) return std::nullopt;
  return header;
}

bool ReadNextRecord(FileAccess& file, ContactRecord& record) {
  std::array<std::byte, kRecordSize> bytes{};
  if (file.Read(bytes) != bytes.size()) return false;
  record = contact_core::FromBytes(bytes);
  return true;
}

std::string DescribeProblem(FileAccess& file, bool for_import) {
  const auto size = file.Size();
  if (!size) return "its size cannot be read";
  if (*size == 0 && !for_import) return {};
  if (*size < kHeaderSize) {
    return *size == 0 ? std::string("it is empty, without even a contact file's 8-byte header")
                      : "it is " + std::to_string(*size) + " bytes long, shorter than a contact file's 8-byte header";
  }
  const auto header = ReadHeader(file);
  if (!header) return "its header cannot be read";
  if (header->totalLength < 0 || static_cast<std::uint64_t>(header->totalLength) != *size) {
    return "its header gives a length of " + std::to_string(header->totalLength) + " bytes, but the file is " +
           std::to_string(*size) + " bytes long (not a contact file, or one cut short)";
  }
  const std::uint64_t held = (*size - kHeaderSize) / kRecordSize;
  if (header->recordCount < 0 || static_cast<std::uint64_t>(header->recordCount) != held) {
    return "its header counts " + std::to_string(header->recordCount) + " records, but its length holds " +
           std::to_string(held);
  }
  if (!for_import && !FitsAnotherRecord(*header)) {
    return "it holds " + std::to_string(header->recordCount) +
           " records, and one more would take it past 2 GB, the most a contact file can hold";
  }
  return {};
}

std::optional<AppendPlace> PrepareAppend(FileAccess& file) {
  const auto size = file.Size();
  if (!size) return std::nullopt;
  AppendPlace place{Header{static_cast<std::int32_t>(kHeaderSize), 0}, *size};
  if (*size != 0) {
    const auto header = ReadHeader(file);
    if (!header || !IsValid(*size, *header)) return std::nullopt;
    place.header = *header;
  }
  if (!FitsAnotherRecord(place.header)) return std::nullopt;
  return place;
}

std::optional<AppendPlace> PlaceAfter(const AppendPlace& committed) {
  const std::uint64_t end = RecordOffset(committed.header.recordCount + 1ULL);
  const AppendPlace next{Header{static_cast<std::int32_t>(end), committed.header.recordCount + 1}, end};
  if (!FitsAnotherRecord(next.header)) return std::nullopt;
  return next;
}

bool CommitAppend(FileAccess& file, const AppendPlace& place, const ContactRecord& record) {
  const std::uint64_t record_offset = RecordOffset(place.header.recordCount);
  const Header grown{static_cast<std::int32_t>(record_offset + kRecordSize), place.header.recordCount + 1};
  const bool written = (place.sizeBefore != 0 || WriteHeader(file, place.header)) &&
                       WriteRecord(file, record_offset, record) && WriteHeader(file, grown);
  if (!written) PutBack(file, place);
  return written;
}

}  // namespace quillmere::contact_file
