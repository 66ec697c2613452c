// Building and taking apart contact files byte by byte, the way a test
// states what a file must hold without going through the code under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "contact_record.h"

namespace quillmere::testing {

using Bytes = std::vector<std::byte>;

// `size` bytes: the two little-endian header fields, then zeros.
Bytes FileWithHeader(std::int32_t total_length, std::int32_t record_count, std::size_t size);
// A valid file holding these records.
Bytes FileWithRecords(const std::vector<contact_core::ContactRecord>& records);
// `file` with `tail_size` bytes of 0x5A after its last record, its
// totalLength grown to match: still valid while the tail is shorter than a
// record.
Bytes WithTail(Bytes file, std::size_t tail_size);

std::int32_t TotalLengthOf(const Bytes& file);
std::int32_t RecordCountOf(const Bytes& file);
// Record `index` of `file`, taken from offset 8 + 3840 * index.
contact_core::ContactRecord RecordAt(const Bytes& file, std::size_t index);

// A record with the last name (and optionally first name) set.
contact_core::ContactRecord RecordNamed(std::u16string_view last_name, std::u16string_view first_name = {});

Bytes ReadWholeFile(const std::filesystem::path& path);
void WriteWholeFile(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace quillmere::testing
