#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "folder_state.h"
#include "hostile_bytes.h"
#include "journal_format.h"

namespace {

namespace journal = outlook_standin::journal;
using Bytes = std::vector<std::uint8_t>;

journal::StoredItem Item(std::wstring entryId, journal::StoredKind kind, double time) {
  journal::StoredItem item;
  item.entryId = std::move(entryId);
  item.kind = kind;
  item.lastModificationTime = time;
  return item;
}

// The entries of a journal, between them every kind of field: absent, empty
// and full properties, both kinds of item, deletes, units up to 0xFFFF.
std::vector<journal::Entry> SampleEntries() {
  journal::StoredItem full = Item(L"00000000AB", journal::StoredKind::Contact, 45000.25);
  for (std::size_t i = 0; i < full.properties.size(); ++i) full.properties[i] = std::wstring(i, L'a' + i % 26);
  full.properties[3] = std::wstring{L'\xFFFF', L'\xD800', L'\0', L'z'};
  journal::StoredItem list = Item(L"00000000CD", journal::StoredKind::DistributionList, -1);
  list.properties[0] = L"Team";
  return {journal::Upsert{full}, journal::Upsert{list}, journal::Delete{L"00000000AB"},
          journal::Upsert{Item(L"", journal::StoredKind::Contact, 0)}, journal::Delete{L""}};
}

Bytes Encode(const journal::Entry& entry) {
  if (const auto* upsert = std::get_if<journal::Upsert>(&entry)) return journal::EncodeUpsert(upsert->item);
  return journal::EncodeDelete(std::get<journal::Delete>(entry).entryId);
}

// Entries compare by what they carry; the format's types leave that to callers.
bool SameEntries(std::span<const journal::Entry> actual, std::span<const journal::Entry> expected) {
  return std::ranges::equal(actual, expected, [](const journal::Entry& a, const journal::Entry& b) {
    if (a.index() != b.index()) return false;
    if (const auto* upsert = std::get_if<journal::Upsert>(&a)) return upsert->item == std::get<journal::Upsert>(b).item;
    return std::get<journal::Delete>(a).entryId == std::get<journal::Delete>(b).entryId;
  });
}

struct Journal {
  Bytes bytes;
  std::vector<std::size_t> ends;  // where each entry ends
};

Journal EncodeAll(const std::vector<journal::Entry>& entries) {
  Journal journal;
  for (const auto& entry : entries) {
    const Bytes encoded = Encode(entry);
    journal.bytes.insert(journal.bytes.end(), encoded.begin(), encoded.end());
    journal.ends.push_back(journal.bytes.size());
  }
  return journal;
}

// The textbook bit-by-bit CRC-32, to frame hostile payloads the reader must
// get past its checksum to see.
std::uint32_t Crc32(const Bytes& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

void PutU32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes Framed(const Bytes& payload) {
  Bytes entry;
  PutU32(entry, static_cast<std::uint32_t>(payload.size()));
  PutU32(entry, Crc32(payload));
  entry.insert(entry.end(), payload.begin(), payload.end());
  return entry;
}

// Whatever decodes is what the bytes up to `consumed` hold: encoding the
// entries again gives those bytes back, and a folder built from them sizes
// its compact journal from exactly the items it holds.
void ExpectDecodeIsConsistent(std::span<const std::uint8_t> bytes) {
  const auto decoded = journal::DecodeEntries(bytes);
  ASSERT_LE(decoded.consumed, bytes.size());
  EXPECT_EQ(decoded.tail == journal::Tail::Clean, decoded.consumed == bytes.size());
  const Journal again = EncodeAll(decoded.entries);
  EXPECT_EQ(again.bytes, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(decoded.consumed)));

  outlook_standin::FolderState folder;
  for (const auto& entry : decoded.entries) folder.Apply(entry);
  std::size_t compact = journal::kHeaderSize;
  for (const auto& item : folder.Items()) {
    compact += journal::EncodeUpsert(item).size();
    ASSERT_NE(folder.Find(item.entryId), nullptr);
    EXPECT_EQ(*folder.Find(item.entryId), item);
  }
  EXPECT_EQ(folder.CompactJournalSize(), compact);
}

TEST(JournalRobustness, HeaderRoundTripsAndRefusesAnyDamage) {
  for (const journal::Generation generation : {journal::Generation{0}, journal::Generation{1},
                                               std::numeric_limits<journal::Generation>::max()}) {
    const Bytes header = journal::EncodeHeader(generation);
    ASSERT_EQ(header.size(), journal::kHeaderSize);
    EXPECT_EQ(journal::DecodeHeader(header), generation);
    native_tests::ForEachTruncation(header, [](std::span<const std::uint8_t> prefix, std::size_t length) {
      EXPECT_FALSE(journal::DecodeHeader(prefix)) << length << " bytes";
    });
    native_tests::ForEachSingleByteMutation(header, 0, header.size(),
                                            [](std::span<const std::uint8_t> bytes, std::size_t position) {
                                              EXPECT_FALSE(journal::DecodeHeader(bytes)) << "byte " << position;
                                            });
    native_tests::ForEachRandomMutation(header, native_tests::kMutationSeed, native_tests::kRandomMutations,
                                        [](std::span<const std::uint8_t> bytes) { journal::DecodeHeader(bytes); });
  }
}

TEST(JournalRobustness, EntriesRoundTrip) {
  const auto entries = SampleEntries();
  const Journal journal = EncodeAll(entries);
  const auto decoded = journal::DecodeEntries(journal.bytes);
  EXPECT_TRUE(SameEntries(decoded.entries, entries));
  EXPECT_EQ(decoded.consumed, journal.bytes.size());
  EXPECT_EQ(decoded.tail, journal::Tail::Clean);
  ExpectDecodeIsConsistent(journal.bytes);
}

TEST(JournalRobustness, EveryTruncationKeepsTheWholeEntriesAndIsTorn) {
  const auto entries = SampleEntries();
  const Journal journal = EncodeAll(entries);
  native_tests::ForEachTruncation(journal.bytes, [&](std::span<const std::uint8_t> prefix, std::size_t length) {
    std::size_t whole = 0;
    while (whole < journal.ends.size() && journal.ends[whole] <= length) ++whole;
    const std::size_t boundary = whole == 0 ? 0 : journal.ends[whole - 1];
    const auto decoded = journal::DecodeEntries(prefix);
    ASSERT_TRUE(SameEntries(decoded.entries, std::span(entries).first(whole))) << length << " bytes";
    EXPECT_EQ(decoded.consumed, boundary) << length << " bytes";
    EXPECT_EQ(decoded.tail, length == boundary ? journal::Tail::Clean : journal::Tail::Torn) << length << " bytes";
  });
}

TEST(JournalRobustness, ADamagedEntryEndsTheJournalThere) {
  const auto entries = SampleEntries();
  const Journal journal = EncodeAll(entries);
  native_tests::ForEachSingleByteMutation(
      journal.bytes, 0, journal.bytes.size(), [&](std::span<const std::uint8_t> bytes, std::size_t position) {
        std::size_t damaged = 0;
        while (journal.ends[damaged] <= position) ++damaged;
        const auto decoded = journal::DecodeEntries(bytes);
        ASSERT_EQ(decoded.entries.size(), damaged) << "byte " << position;
        EXPECT_EQ(decoded.consumed, damaged == 0 ? 0 : journal.ends[damaged - 1]) << "byte " << position;
        EXPECT_NE(decoded.tail, journal::Tail::Clean) << "byte " << position;
      });
  native_tests::ForEachRandomMutation(journal.bytes, native_tests::kMutationSeed, native_tests::kRandomMutations,
                                      [](std::span<const std::uint8_t> bytes) { ExpectDecodeIsConsistent(bytes); });
}

TEST(JournalRobustness, HostileEntries) {
  Bytes huge_length;
  PutU32(huge_length, 0xFFFFFFFF);
  PutU32(huge_length, 0);
  Bytes length_past_the_end;
  PutU32(length_past_the_end, 64u << 20);
  PutU32(length_past_the_end, 0);
  length_past_the_end.resize(64);

  const auto delete_with_count = [](std::uint32_t count, std::size_t units) {
    Bytes payload{2};
    PutU32(payload, count);
    payload.resize(payload.size() + 2 * units, 'x');
    return Framed(payload);
  };
  Bytes upsert_missing_a_property{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  PutU32(upsert_missing_a_property, 0);
  for (std::size_t i = 0; i + 1 < journal::kPropertyCount; ++i) PutU32(upsert_missing_a_property, 0xFFFFFFFF);
  Bytes upsert_of_unknown_kind = upsert_missing_a_property;
  upsert_of_unknown_kind[1] = 2;
  PutU32(upsert_of_unknown_kind, 0xFFFFFFFF);
  Bytes upsert_with_absent_entry_id = upsert_missing_a_property;
  std::fill_n(upsert_with_absent_entry_id.begin() + 10, 4, 0xFF);
  PutU32(upsert_with_absent_entry_id, 0xFFFFFFFF);
  Bytes whole_upsert = upsert_missing_a_property;
  PutU32(whole_upsert, 0xFFFFFFFF);
  Bytes odd_byte_string{2};
  PutU32(odd_byte_string, 1);
  odd_byte_string.push_back('x');

  struct Case {
    const char* what;
    Bytes bytes;
    journal::Tail tail;
    std::size_t entries;
  };
  const Case cases[] = {
      {"length far past any payload", huge_length, journal::Tail::Corrupt, 0},
      {"largest length, bytes missing", length_past_the_end, journal::Tail::Torn, 0},
      {"empty payload", Framed({}), journal::Tail::Corrupt, 0},
      {"unknown type", Framed({3, 0, 0, 0, 0}), journal::Tail::Corrupt, 0},
      {"string count past the payload", delete_with_count(0x7FFFFFFF, 2), journal::Tail::Corrupt, 0},
      {"string count that overflows doubled", delete_with_count(0x80000001, 1), journal::Tail::Corrupt, 0},
      {"required string absent", delete_with_count(0xFFFFFFFF, 0), journal::Tail::Corrupt, 0},
      {"string one byte short", Framed(odd_byte_string), journal::Tail::Corrupt, 0},
      {"bytes after a delete", delete_with_count(1, 2), journal::Tail::Corrupt, 0},
      {"upsert missing a property", Framed(upsert_missing_a_property), journal::Tail::Corrupt, 0},
      {"upsert of unknown kind", Framed(upsert_of_unknown_kind), journal::Tail::Corrupt, 0},
      {"upsert with an absent entry id", Framed(upsert_with_absent_entry_id), journal::Tail::Corrupt, 0},
      {"upsert with every property absent", Framed(whole_upsert), journal::Tail::Clean, 1},
  };
  for (const Case& c : cases) {
    const auto decoded = journal::DecodeEntries(c.bytes);
    EXPECT_EQ(decoded.tail, c.tail) << c.what;
    EXPECT_EQ(decoded.entries.size(), c.entries) << c.what;
    ExpectDecodeIsConsistent(c.bytes);
  }
}

}  // namespace
