// The contact file (".fs"): an 8-byte header followed by contact records back
// to back. All integers are little-endian.
//
//   offset 0  totalLength  signed 32-bit  length of the whole file, header included
//   offset 4  recordCount  signed 32-bit  number of records that follow
//   offset 8  recordCount records of 3840 bytes (contact_record.h)
//
// There is no magic number, version or checksum. A file is valid when its
// size is at least 8, totalLength equals the size, and recordCount equals
// (totalLength - 8) / 3840 rounded down; a tail shorter than a record after
// the last one is allowed and ignored. An empty file is what a new file holds
// before its first record: the export accepts it, the import does not.
//
// Plain C++ over bytes and the FileAccess operations; no Windows header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "contact_record.h"
#include "file_access.h"

namespace quillmere::contact_file {

inline constexpr std::uint64_t kHeaderSize = 8;
inline constexpr std::uint64_t kRecordSize = contact_core::CONTACT_RECORD_SIZE;

struct Header {
  std::int32_t totalLength = 0;
  std::int32_t recordCount = 0;
  bool operator==(const Header&) const = default;
};

bool IsValid(std::uint64_t file_size, const Header& header);

// Where record `index` (from 0) starts: every record stays at this place.
constexpr std::uint64_t RecordOffset(std::uint64_t index) { return kHeaderSize + kRecordSize * index; }

// The header of a file that is valid for import, read as two 4-byte
// transfers, totalLength first; nothing when the file is not valid or cannot
// be read. Leaves the position on the first record.
std::optional<Header> ReadValidHeader(FileAccess& file);

// Reads the record at the file position into `record`; false when fewer than
// 3840 bytes arrive.
bool ReadNextRecord(FileAccess& file, contact_core::ContactRecord& record);

// Why `file` cannot be imported (`for_import`) or appended to, in words for
// a person: "its header gives a length of 100 bytes, but the file is 3848
// bytes long" and the like; empty when it can. Reads only.
std::string DescribeProblem(FileAccess& file, bool for_import);

// Where the next record of a file goes, found before anything is written.
struct AppendPlace {
  Header header;            // the header as it stands ({8, 0} for an empty file)
  std::uint64_t sizeBefore;  // the file's size as it stands
};

// Nothing when the file's size cannot be told, its header cannot be read or
// is not valid, or one more record would take it past 2^31 - 1 bytes. Reads
// only; the file is left untouched.
std::optional<AppendPlace> PrepareAppend(FileAccess& file);

// Writes `record` at its place, RecordOffset(recordCount), over any tail
// shorter than a record, then the new header; an empty file first gets the
// header of a file without records. Answers true when all of it was written.
// On any failure the file is put back as it was (its old header, its old
// size; only the bytes of a tail may differ), so a record that was not
// written whole is never counted and the records before it stay readable.
bool CommitAppend(FileAccess& file, const AppendPlace& place, const contact_core::ContactRecord& record);
// Where the record after the one CommitAppend wrote at `committed` goes, for a
// writer that holds the file to itself; nothing when it would take the file
// past 2^31 - 1 bytes.
std::optional<AppendPlace> PlaceAfter(const AppendPlace& committed);

}  // namespace quillmere::contact_file
