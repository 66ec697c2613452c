#include "contact_file_bytes.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quillmere::testing {

namespace {

using contact_core::CONTACT_RECORD_SIZE;
using contact_core::ContactRecord;

constexpr std::size_t kHeaderSize = 8;

void PutInt32(Bytes& file, std::size_t offset, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t index = 0; index < 4; ++index) file[offset + index] = std::byte((bits >> (8 * index)) & 0xFF);
}

std::int32_t Int32At(const Bytes& file, std::size_t offset) {
  if (file.size() < offset + 4) throw std::out_of_range("file too short for a header field");
  std::uint32_t bits = 0;
  for (std::size_t index = 0; index < 4; ++index) bits |= std::to_integer<std::uint32_t>(file[offset + index]) << (8 * index);
  return static_cast<std::int32_t>(bits);
}

}  // namespace

Bytes FileWithHeader(std::int32_t total_length, std::int32_t record_count, std::size_t size) {
  Bytes file(std::max(size, kHeaderSize));
  PutInt32(file, 0, total_length);
  PutInt32(file, 4, record_count);
  file.resize(size);
  return file;
}

Bytes FileWithRecords(const std::vector<ContactRecord>& records) {
  const std::size_t size = kHeaderSize + CONTACT_RECORD_SIZE * records.size();
  Bytes file = FileWithHeader(static_cast<std::int32_t>(size), static_cast<std::int32_t>(records.size()), size);
  for (std::size_t index = 0; index < records.size(); ++index) {
    contact_core::ToBytes(records[index], std::span<std::byte, CONTACT_RECORD_SIZE>(
                                              file.data() + kHeaderSize + CONTACT_RECORD_SIZE * index, CONTACT_RECORD_SIZE));
  }
  return file;
}

Bytes WithTail(Bytes file, std::size_t tail_size) {
  file.resize(file.size() + tail_size, std::byte{0x5A});
  PutInt32(file, 0, static_cast<std::int32_t>(file.size()));
  return file;
}

std::int32_t TotalLengthOf(const Bytes& file) { return Int32At(file, 0); }

std::int32_t RecordCountOf(const Bytes& file) { return Int32At(file, 4); }

ContactRecord RecordAt(const Bytes& file, std::size_t index) {
  const std::size_t offset = kHeaderSize + CONTACT_RECORD_SIZE * index;
  if (file.size() < offset + CONTACT_RECORD_SIZE) throw std::out_of_range("no whole record at that index");
  return contact_core::FromBytes(std::span<const std::byte, CONTACT_RECORD_SIZE>(file.data() + offset, CONTACT_RECORD_SIZE));
}

ContactRecord RecordNamed(std::u16string_view last_name, std::u16string_view first_name) {
  ContactRecord record;
  record.SetText(contact_core::FieldId::LastName, last_name);
  record.SetText(contact_core::FieldId::FirstName, first_name);
  return record;
}

Bytes ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Bytes bytes(chars.size());
  std::transform(chars.begin(), chars.end(), bytes.begin(), [](char c) { return std::byte(static_cast<unsigned char>(c)); });
  return bytes;
}

void WriteWholeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace quillmere::testing
