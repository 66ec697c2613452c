#include "journal_format.h"

#include <bit>
#include <cstring>
#include <limits>

namespace outlook_standin::journal {
namespace {

constexpr std::array<std::uint8_t, 8> kMagic{'O', 'L', 'S', 'T', 'O', 'R', 'E', '1'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kAbsent = 0xFFFFFFFF;
constexpr std::size_t kEntryPrefixSize = 8;
// Far beyond any real item; keeps a corrupt length from asking for gigabytes.
constexpr std::uint32_t kMaxPayloadSize = 64u << 20;
constexpr std::uint8_t kUpsertType = 1;
constexpr std::uint8_t kDeleteType = 2;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr auto kCrcTable = MakeCrcTable();

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t byte : bytes) crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
  void U8(std::uint8_t value) { out_.push_back(value); }
  void U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out_.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  void U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value));
    U32(static_cast<std::uint32_t>(value >> 32));
  }
  void F64(double value) { U64(std::bit_cast<std::uint64_t>(value)); }
  void String(std::wstring_view text) {
    U32(static_cast<std::uint32_t>(text.size()));
    for (wchar_t unit : text) {
      const auto code = static_cast<std::uint16_t>(unit);
      out_.push_back(static_cast<std::uint8_t>(code));
      out_.push_back(static_cast<std::uint8_t>(code >> 8));
    }
  }
  void OptionalString(const std::optional<std::wstring>& text) {
    if (text) {
      String(*text);
    } else {
      U32(kAbsent);
    }
  }

 private:
  std::vector<std::uint8_t>& out_;
};

// Reads fields in order; any read past the end makes the reader fail, and
// every later read then fails too.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Finished() const { return ok_ && position_ == bytes_.size(); }
  std::uint8_t U8() { return Take(1) ? bytes_[position_ - 1] : 0; }
  std::uint32_t U32() {
    if (!Take(4)) return 0;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | bytes_[position_ - 4 + i];
    return value;
  }
  std::uint64_t U64() {
    const std::uint64_t low = U32();
    const std::uint64_t high = U32();
    return low | (high << 32);
  }
  double F64() { return std::bit_cast<double>(U64()); }
  std::optional<std::wstring> OptionalString() {
    const std::uint32_t count = U32();
    if (!ok_ || count == kAbsent) return std::nullopt;
    if (count > (bytes_.size() - position_) / 2) {
      ok_ = false;
      return std::nullopt;
    }
    std::wstring text(count, L'\0');
    for (auto& unit : text) {
      unit = static_cast<wchar_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
      position_ += 2;
    }
    return text;
  }
  std::wstring String() {
    auto text = OptionalString();
    if (!text) ok_ = false;
    return text ? std::move(*text) : std::wstring();
  }

 private:
  bool Take(std::size_t count) {
    if (!ok_ || bytes_.size() - position_ < count) {
      ok_ = false;
      return false;
    }
    position_ += count;
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

std::vector<std::uint8_t> FramePayload(const std::vector<std::uint8_t>& payload) {
  std::vector<std::uint8_t> entry;
  entry.reserve(kEntryPrefixSize + payload.size());
  Writer writer(entry);
  writer.U32(static_cast<std::uint32_t>(payload.size()));
  writer.U32(Crc32(payload));
  entry.insert(entry.end(), payload.begin(), payload.end());
  return entry;
}

std::optional<Entry> DecodePayload(std::span<const std::uint8_t> payload) {
  Reader reader(payload);
  const std::uint8_t type = reader.U8();
  if (type == kDeleteType) {
    Delete removal{reader.String()};
    if (!reader.Finished()) return std::nullopt;
    return removal;
  }
  if (type != kUpsertType) return std::nullopt;
  Upsert upsert;
  const std::uint8_t kind = reader.U8();
  if (kind > static_cast<std::uint8_t>(StoredKind::DistributionList)) return std::nullopt;
  upsert.item.kind = static_cast<StoredKind>(kind);
  upsert.item.lastModificationTime = reader.F64();
  upsert.item.entryId = reader.String();
  for (auto& property : upsert.item.properties) property = reader.OptionalString();
  if (!reader.Finished()) return std::nullopt;
  return upsert;
}

}  // namespace

std::vector<std::uint8_t> EncodeHeader(Generation generation) {
  std::vector<std::uint8_t> header(kMagic.begin(), kMagic.end());
  Writer writer(header);
  writer.U32(kVersion);
  writer.U32(0);
  writer.U64(generation);
  writer.U32(Crc32(header));
  writer.U32(0);
  return header;
}

std::optional<Generation> DecodeHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return std::nullopt;
  Reader reader(bytes.subspan(kMagic.size(), kHeaderSize - kMagic.size()));
  const std::uint32_t version = reader.U32();
  const std::uint32_t reserved = reader.U32();
  const Generation generation = reader.U64();
  const std::uint32_t checksum = reader.U32();
  const std::uint32_t padding = reader.U32();
  if (!reader.Finished() || version != kVersion || reserved != 0 || padding != 0) return std::nullopt;
  if (checksum != Crc32(bytes.first(24))) return std::nullopt;
  return generation;
}

std::vector<std::uint8_t> EncodeUpsert(const StoredItem& item) {
  std::vector<std::uint8_t> payload;
  payload.reserve(EncodedUpsertSize(item) - kEntryPrefixSize);
  Writer writer(payload);
  writer.U8(kUpsertType);
  writer.U8(static_cast<std::uint8_t>(item.kind));
  writer.F64(item.lastModificationTime);
  writer.String(item.entryId);
  for (const auto& property : item.properties) writer.OptionalString(property);
  return FramePayload(payload);
}

std::vector<std::uint8_t> EncodeDelete(std::wstring_view entryId) {
  std::vector<std::uint8_t> payload;
  Writer writer(payload);
  writer.U8(kDeleteType);
  writer.String(entryId);
  return FramePayload(payload);
}

std::size_t EncodedUpsertSize(const StoredItem& item) {
  std::size_t size = kEntryPrefixSize + 1 + 1 + 8 + 4 + 2 * item.entryId.size();
  for (const auto& property : item.properties) size += 4 + (property ? 2 * property->size() : 0);
  return size;
}

DecodedEntries DecodeEntries(std::span<const std::uint8_t> bytes) {
  DecodedEntries decoded;
  while (decoded.consumed < bytes.size()) {
    const auto rest = bytes.subspan(decoded.consumed);
    if (rest.size() < kEntryPrefixSize) {
      decoded.tail = Tail::Torn;
      break;
    }
    Reader prefix(rest.first(kEntryPrefixSize));
    const std::uint32_t length = prefix.U32();
    const std::uint32_t checksum = prefix.U32();
    if (length > kMaxPayloadSize) {
      decoded.tail = Tail::Corrupt;
      break;
    }
    if (rest.size() - kEntryPrefixSize < length) {
      decoded.tail = Tail::Torn;
      break;
    }
    const auto payload = rest.subspan(kEntryPrefixSize, length);
    auto entry = Crc32(payload) == checksum ? DecodePayload(payload) : std::nullopt;
    if (!entry) {
      decoded.tail = Tail::Corrupt;
      break;
    }
    decoded.entries.push_back(std::move(*entry));
    decoded.consumed += kEntryPrefixSize + length;
  }
  return decoded;
}

}  // namespace outlook_standin::journal
