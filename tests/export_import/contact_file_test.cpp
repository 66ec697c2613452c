// The contact file as bytes: which files are valid, where records go, and
// that a failed append leaves the file exactly as it was.
#include "contact_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "contact_file_bytes.h"
#include "memory_file.h"

namespace quillmere::testing {
namespace {

using contact_core::ContactRecord;
using contact_file::CommitAppend;
using contact_file::Header;
using contact_file::PrepareAppend;
using contact_file::ReadNextRecord;
using contact_file::ReadValidHeader;

constexpr std::int32_t kRecord = 3840;

struct ValidityCase {
  const char* name;
  std::size_t size;
  std::int32_t totalLength;
  std::int32_t recordCount;
  bool valid;
};

// Every row is a file of `size` bytes whose header holds the two fields.
const ValidityCase kValidityCases[] = {
    {"empty file", 0, 0, 0, false},
    {"seven bytes", 7, 7, 0, false},
    {"header only", 8, 8, 0, true},
    {"header only, count one", 8, 8, 1, false},
    {"one record", 8 + kRecord, 8 + kRecord, 1, true},
    {"totalLength one short of the size", 8 + kRecord, 8 + kRecord - 1, 1, false},
    {"totalLength one past the size (truncated file)", 8 + kRecord, 8 + 2 * kRecord, 1, false},
    {"recordCount one too many", 8 + 2 * kRecord, 8 + 2 * kRecord, 3, false},
    {"recordCount one too few", 8 + 2 * kRecord, 8 + 2 * kRecord, 1, false},
    {"tail of one byte", 8 + kRecord + 1, 8 + kRecord + 1, 1, true},
    {"tail of a record less one byte", 8 + 2 * kRecord - 1, 8 + 2 * kRecord - 1, 1, true},
    {"negative recordCount", 8, 8, -1, false},
    {"negative totalLength", 8, -8, 0, false},
};

TEST(ContactFileFormat, ValidityOfHeaders) {
  for (const ValidityCase& row : kValidityCases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(contact_file::IsValid(row.size, {row.totalLength, row.recordCount}), row.valid);
    MemoryFile file(FileWithHeader(row.totalLength, row.recordCount, row.size));
    const auto header = ReadValidHeader(file);
    EXPECT_EQ(header.has_value(), row.valid);
    if (header) {
      EXPECT_EQ(*header, (Header{row.totalLength, row.recordCount}));
    }
  }
}

TEST(ContactFileFormat, ARecordsPlaceFollowsTheHeaderAndTheRecordsBeforeIt) {
  EXPECT_EQ(contact_file::RecordOffset(0), 8u);
  EXPECT_EQ(contact_file::RecordOffset(1), 3848u);
  EXPECT_EQ(contact_file::RecordOffset(10), 38408u);
}

TEST(ContactFileFormat, RecordsAreReadInOrderAfterTheHeader) {
  MemoryFile file(FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg")}));
  ASSERT_TRUE(ReadValidHeader(file));
  ContactRecord record;
  ASSERT_TRUE(ReadNextRecord(file, record));
  EXPECT_EQ(record, RecordNamed(u"Aalto"));
  ASSERT_TRUE(ReadNextRecord(file, record));
  EXPECT_EQ(record, RecordNamed(u"Berg"));
  EXPECT_FALSE(ReadNextRecord(file, record)) << "nothing left";
}

TEST(ContactFileFormat, APartRecordIsNotARecord) {
  const Bytes bytes = WithTail(FileWithRecords({RecordNamed(u"Aalto")}), 100);
  MemoryFile file(bytes);
  const auto place = PrepareAppend(file);
  ASSERT_TRUE(place);
  ASSERT_TRUE(CommitAppend(file, *place, RecordNamed(u"Berg")));
  EXPECT_EQ(file.bytes, FileWithRecords({RecordNamed(u"Aalto"), RecordNamed(u"Berg")}));
}

TEST(ContactFileAppend, AWriterThatKeepsTheFileGoesOnFromThePlaceAfterWithoutReadingIt) {
  for (const Bytes& before : {Bytes{}, WithTail(FileWithRecords({RecordNamed(u"Aalto")}), 100)}) {
    MemoryFile file(before);
    auto place = PrepareAppend(file);
    for (const char16_t* name : {u"Berg", u"Cruz", u"Dahl"}) {
      ASSERT_TRUE(place);
      ASSERT_TRUE(CommitAppend(file, *place, RecordNamed(name)));
      place = contact_file::PlaceAfter(*place);
    }
    const auto read_again = PrepareAppend(file);
    ASSERT_TRUE(place && read_again);
    EXPECT_EQ(place->header, read_again->header);
    EXPECT_EQ(place->sizeBefore, read_again->sizeBefore);
  }
  // The place after the last record that fits below 2^31 bytes is none.
  const std::int32_t full = 559240;
  const contact_file::AppendPlace last{{static_cast<std::int32_t>(contact_file::RecordOffset(full - 1)), full - 1},
                                      contact_file::RecordOffset(full - 1)};
  EXPECT_FALSE(contact_file::PlaceAfter(last));
}

TEST(ContactFileAppend, AFileThatIsNotValidIsRefusedAndLeftUntouched) {
  for (const ValidityCase& row : kValidityCases) {
    if (row.valid || row.size == 0) continue;
    SCOPED_TRACE(row.name);
    const Bytes before = FileWithHeader(row.totalLength, row.recordCount, row.size);
    MemoryFile file(before);
    EXPECT_FALSE(PrepareAppend(file));
    EXPECT_EQ(file.bytes, before);
  }
}

TEST(ContactFileAppend, AFileWhoseSizeCannotBeToldIsRefused) {
  MemoryFile file;
  file.failSize = true;
  EXPECT_FALSE(PrepareAppend(file));
}

TEST(ContactFileAppend, AFileWithoutRoomForAnotherRecordBelowTwoGigabytesIsRefused) {
  // The header fields are signed 32-bit: 559240 records end at 2147481608,
  // one more would end past 2^31 - 1.
  const std::int32_t full = 559240;
  const auto full_size = static_cast<std::int32_t>(contact_file::RecordOffset(full));
  MemoryFile file(FileWithHeader(full_size, full, 8));
  file.claimedSize = full_size;
  EXPECT_FALSE(PrepareAppend(file));

  const auto almost_full_size = static_cast<std::int32_t>(contact_file::RecordOffset(full - 1));
  MemoryFile roomy(FileWithHeader(almost_full_size, full - 1, 8));
  roomy.claimedSize = almost_full_size;
  EXPECT_TRUE(PrepareAppend(roomy));
}

struct FailureCase {
  const char* name;
  Bytes before;
};

// After a failed append the file has its old size, and its header and
// records are as they were; the bytes of a tail, which mean nothing, may have
// been written over.
void ExpectUnchangedButForTheTail(const Bytes& after, const Bytes& before) {
  ASSERT_EQ(after.size(), before.size());
  if (before.empty()) return;
  const auto meaningful = static_cast<std::ptrdiff_t>(contact_file::RecordOffset(RecordCountOf(before)));
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + meaningful, before.begin()));
}

std::vector<FailureCase> FailureCases() {
  return {{"empty file", {}},
          {"file with one record", FileWithRecords({RecordNamed(u"Aalto")})},
          {"file with a tail", WithTail(FileWithRecords({RecordNamed(u"Aalto")}), 10)}};
}

TEST(ContactFileAppend, AFailedWriteLeavesTheFileAsItWasButForItsTail) {
  for (const FailureCase& row : FailureCases()) {
    // An empty file takes three writes (fresh header, record, new header),
    // a non-empty one two; whichever of them fails, nothing changes.
    const int writes = row.before.empty() ? 3 : 2;
    for (int failing = 1; failing <= writes; ++failing) {
      SCOPED_TRACE(std::string(row.name) + ", failing write " + std::to_string(failing));
      MemoryFile file(row.before);
      const auto place = PrepareAppend(file);
      ASSERT_TRUE(place);
      file.failingWrite = failing;
      EXPECT_FALSE(CommitAppend(file, *place, RecordNamed(u"Berg")));
      ExpectUnchangedButForTheTail(file.bytes, row.before);
    }
  }
}

TEST(ContactFileAppend, ADiskThatFillsUpMidRecordLeavesTheFileAsItWasButForItsTail) {
  for (const FailureCase& row : FailureCases()) {
    SCOPED_TRACE(row.name);
    MemoryFile file(row.before);
    file.capacity = std::max<std::size_t>(row.before.size(), 8) + 1000;
    const auto place = PrepareAppend(file);
    ASSERT_TRUE(place);
    EXPECT_FALSE(CommitAppend(file, *place, RecordNamed(u"Berg")));
    ExpectUnchangedButForTheTail(file.bytes, row.before);
  }
}

}  // namespace
}  // namespace quillmere::testing
