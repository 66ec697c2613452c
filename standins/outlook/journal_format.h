// Byte layout of the store file: a header, then an append-only journal of
// checksummed entries. Plain C++ over bytes, with no Windows headers, so the
// format can be tested and fuzzed natively.
//
// Header (32 bytes, little-endian):
//   magic "OLSTORE1" | u32 version (1) | u32 zero | u64 generation |
//   u32 CRC-32 of the 24 bytes before it | u32 zero
// Entry:
//   u32 payload length | u32 CRC-32 of the payload | payload
// Payload:
//   u8 type: 1 = upsert, 2 = delete
//   upsert: u8 kind (0 contact, 1 distribution list) | f64 modification time |
//           string entry id | 25 optional strings (the writable properties)
//   delete: string entry id
// A string is a u32 count of UTF-16 code units, then the units; an optional
// string whose count is 0xFFFFFFFF is absent (never set).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace outlook_standin::journal {

inline constexpr std::size_t kPropertyCount = 25;
inline constexpr std::size_t kHeaderSize = 32;

enum class StoredKind : std::uint8_t { Contact = 0, DistributionList = 1 };

struct StoredItem {
  StoredKind kind = StoredKind::Contact;
  std::wstring entryId;
  double lastModificationTime = 0;
  std::array<std::optional<std::wstring>, kPropertyCount> properties;

  bool operator==(const StoredItem&) const = default;
};

struct Upsert {
  StoredItem item;
};
struct Delete {
  std::wstring entryId;
};
using Entry = std::variant<Upsert, Delete>;

using Generation = std::uint64_t;

std::vector<std::uint8_t> EncodeHeader(Generation generation);
// The generation of a valid header; nullopt for anything else.
std::optional<Generation> DecodeHeader(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> EncodeUpsert(const StoredItem& item);
std::vector<std::uint8_t> EncodeDelete(std::wstring_view entryId);
// Bytes that EncodeUpsert(item) produces.
std::size_t EncodedUpsertSize(const StoredItem& item);

// How the decoded bytes ended: at their end, in an entry cut short (a write
// that never finished), or at an entry whose checksum or layout is wrong.
enum class Tail { Clean, Torn, Corrupt };

struct DecodedEntries {
  std::vector<Entry> entries;
  std::size_t consumed = 0;  // bytes of the whole entries decoded
  Tail tail = Tail::Clean;
};

// Decodes entries from the start of `bytes` up to the first one that is torn
// or corrupt; nothing after that one is trusted.
DecodedEntries DecodeEntries(std::span<const std::uint8_t> bytes);

}  // namespace outlook_standin::journal
