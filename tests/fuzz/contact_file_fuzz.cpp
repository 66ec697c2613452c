// A contact file of any bytes: the import reads exactly what the header
// promises, and an append to a file the export accepts leaves a file that
// holds one more record, the one appended.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "contact_file.h"
#include "fuzz_expect.h"
#include "memory_file.h"

namespace cf = quillmere::contact_file;
using contact_core::ContactRecord;
using quillmere::testing::MemoryFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto* bytes = reinterpret_cast<const std::byte*>(data);
  MemoryFile file(std::vector<std::byte>(bytes, bytes + size));

  if (const auto header = cf::ReadValidHeader(file)) {
    FUZZ_EXPECT(static_cast<std::size_t>(header->totalLength) == size);
    ContactRecord record;
    for (std::int32_t index = 0; index < header->recordCount; ++index) {
      FUZZ_EXPECT(cf::ReadNextRecord(file, record));
      for (const auto& field : contact_core::kContactFields) {
        FUZZ_EXPECT(record.Text(static_cast<contact_core::FieldId>(&field - contact_core::kContactFields.data())).size() <=
                    field.span);
      }
    }
  }

  const auto place = cf::PrepareAppend(file);
  if (!place) return 0;
  ContactRecord appended;
  appended.SetText(contact_core::FieldId::LastName, u"Appended");
  FUZZ_EXPECT(cf::CommitAppend(file, *place, appended));
  const auto grown = cf::ReadValidHeader(file);
  FUZZ_EXPECT(grown && grown->recordCount == place->header.recordCount + 1);
  FUZZ_EXPECT(file.Seek(cf::RecordOffset(place->header.recordCount)));
  ContactRecord last;
  FUZZ_EXPECT(cf::ReadNextRecord(file, last) && last == appended);
  return 0;
}
