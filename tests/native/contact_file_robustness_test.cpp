#include <gtest/gtest.h>

#include <limits>

#include "contact_file.h"
#include "contact_file_bytes.h"
#include "hostile_bytes.h"
#include "memory_file.h"

namespace {

namespace cf = quillmere::contact_file;
using contact_core::ContactRecord;
using quillmere::testing::Bytes;
using quillmere::testing::MemoryFile;
using quillmere::testing::RecordNamed;

const std::vector<ContactRecord> kRecords{RecordNamed(u"Berg", u"Ada"), RecordNamed(u"\xFFFF\xD800")};

// What an import of `file` hands over: the header and each record, or nothing
// when the file is refused or a promised record cannot be read.
std::optional<std::vector<ContactRecord>> Import(std::span<const std::byte> bytes) {
  MemoryFile file(native_tests::ExactCopy(bytes));
  const auto header = cf::ReadValidHeader(file);
  if (!header) return std::nullopt;
  std::vector<ContactRecord> records(static_cast<std::size_t>(header->recordCount));
  for (ContactRecord& record : records) {
    if (!cf::ReadNextRecord(file, record)) return std::nullopt;
  }
  return records;
}

std::int32_t HeaderField(std::span<const std::byte> bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return static_cast<std::int32_t>(value);
}

// A file the import accepts is one whose header describes its size exactly,
// and then every record it counts can be read.
void ExpectImportKeepsItsPromise(std::span<const std::byte> bytes) {
  MemoryFile file(native_tests::ExactCopy(bytes));
  const auto header = cf::ReadValidHeader(file);
  const auto place = cf::PrepareAppend(file);
  if (bytes.size() < cf::kHeaderSize) {
    EXPECT_FALSE(header);
    EXPECT_EQ(place.has_value(), bytes.empty());
    return;
  }
  EXPECT_EQ(header.has_value(), place.has_value()) << "a non-empty file is valid for both or for neither";
  if (!header) return;
  EXPECT_EQ(header->totalLength, HeaderField(bytes, 0));
  EXPECT_EQ(header->recordCount, HeaderField(bytes, 4));
  EXPECT_EQ(static_cast<std::uint64_t>(header->totalLength), bytes.size());
  EXPECT_LE(cf::RecordOffset(header->recordCount), bytes.size());
  EXPECT_GT(cf::RecordOffset(header->recordCount + 1ULL), bytes.size());
  EXPECT_TRUE(Import(bytes)) << "every counted record is there";
}

TEST(ContactFileRobustness, AppendedRecordsImportAsWritten) {
  MemoryFile file;
  for (std::size_t count = 0; count < kRecords.size(); ++count) {
    const auto place = cf::PrepareAppend(file);
    ASSERT_TRUE(place);
    ASSERT_TRUE(cf::CommitAppend(file, *place, kRecords[count]));
  }
  EXPECT_EQ(file.bytes, quillmere::testing::FileWithRecords(kRecords));
  EXPECT_EQ(Import(file.bytes), kRecords);
}

TEST(ContactFileRobustness, EveryTruncationIsRefused) {
  const Bytes valid = quillmere::testing::WithTail(quillmere::testing::FileWithRecords(kRecords), 100);
  ASSERT_TRUE(Import(valid));
  native_tests::ForEachTruncation(valid, [](std::span<const std::byte> prefix, std::size_t length) {
    EXPECT_FALSE(Import(prefix)) << length << " bytes";
    MemoryFile file(native_tests::ExactCopy(prefix));
    EXPECT_EQ(cf::PrepareAppend(file).has_value(), length == 0) << length << " bytes";
  });
}

TEST(ContactFileRobustness, DamagedHeadersAreRefusedOrDescribeTheFile) {
  const Bytes valid = quillmere::testing::FileWithRecords(kRecords);
  int accepted = 0;
  native_tests::ForEachSingleByteMutation(valid, 0, cf::kHeaderSize, [&](std::span<const std::byte> bytes, std::size_t) {
    ExpectImportKeepsItsPromise(bytes);
    accepted += Import(bytes).has_value();
  });
  EXPECT_EQ(accepted, 0) << "no single changed header byte keeps a file of whole records valid";

  // Random edits mostly change the size, so they exercise the tail rule.
  native_tests::ForEachRandomMutation(valid, native_tests::kMutationSeed, native_tests::kRandomMutations,
                                      [](std::span<const std::byte> bytes) { ExpectImportKeepsItsPromise(bytes); });
}

TEST(ContactFileRobustness, HostileHeaders) {
  constexpr std::uint64_t kRecord = cf::kRecordSize;
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  struct Case {
    const char* what;
    std::uint64_t size;
    cf::Header header;
    bool valid;
  };
  const Case cases[] = {
      {"header only", 8, {8, 0}, true},
      {"shorter than a header", 7, {7, 0}, false},
      {"tail one byte short of a record", 8 + kRecord - 1, {8 + kRecord - 1, 0}, true},
      {"one record, counted", 8 + kRecord, {8 + kRecord, 1}, true},
      {"one record, not counted", 8 + kRecord, {8 + kRecord, 0}, false},
      {"negative length", 8, {-8, 0}, false},
      {"smallest length", 8, {kMin, 0}, false},
      {"negative count", 8 + kRecord, {8 + kRecord, -1}, false},
      {"count that overflows when multiplied", 8 + kRecord, {8 + kRecord, kMax / 1000}, false},
      {"largest count", kMax, {kMax, kMax}, false},
      {"length matches only the low 32 bits of the size", (1ULL << 32) + 8, {8, 0}, false},
      {"size past the largest length", (1ULL << 31) + 8, {kMin + 8, 0}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(cf::IsValid(c.size, c.header), c.valid) << c.what;
}

TEST(ContactFileRobustness, AppendStopsBeforeTheLargestLength) {
  struct Case {
    std::int32_t records;
    bool room;
  };
  // 559240 records end at 2147481608 bytes; one more would pass 2^31 - 1.
  for (const Case c : {Case{559239, true}, Case{559240, false}}) {
    const auto size = static_cast<std::int32_t>(cf::RecordOffset(c.records));
    MemoryFile file(quillmere::testing::FileWithHeader(size, c.records, cf::kHeaderSize));
    file.claimedSize = static_cast<std::uint64_t>(size);
    ASSERT_TRUE(cf::ReadValidHeader(file)) << c.records;
    EXPECT_EQ(cf::PrepareAppend(file).has_value(), c.room) << c.records;
  }
  MemoryFile unbounded(quillmere::testing::FileWithHeader(8, 0, cf::kHeaderSize));
  unbounded.claimedSize = std::numeric_limits<std::uint64_t>::max();
  EXPECT_FALSE(cf::ReadValidHeader(unbounded));
  EXPECT_FALSE(cf::PrepareAppend(unbounded));
}

}  // namespace
