// The Outlook stand-in's store file of any bytes: the header and the entries
// decode without reading past the bytes, the entries decoded are encoded
// again as the bytes they came from, and the folder takes every one of them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <variant>
#include <vector>

#include "folder_state.h"
#include "fuzz_expect.h"
#include "journal_format.h"

namespace journal = outlook_standin::journal;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  if (const auto generation = journal::DecodeHeader(bytes)) {
    FUZZ_EXPECT(std::ranges::equal(journal::EncodeHeader(*generation), std::span(bytes).first(journal::kHeaderSize)));
  }

  const journal::DecodedEntries decoded = journal::DecodeEntries(bytes);
  FUZZ_EXPECT(decoded.consumed <= size);
  FUZZ_EXPECT((decoded.tail == journal::Tail::Clean) == (decoded.consumed == size));
  std::vector<std::uint8_t> encoded;
  outlook_standin::FolderState folder;
  for (const journal::Entry& entry : decoded.entries) {
    const auto* upsert = std::get_if<journal::Upsert>(&entry);
    const auto entry_bytes = upsert ? journal::EncodeUpsert(upsert->item)
                                    : journal::EncodeDelete(std::get<journal::Delete>(entry).entryId);
    if (upsert) FUZZ_EXPECT(entry_bytes.size() == journal::EncodedUpsertSize(upsert->item));
    encoded.insert(encoded.end(), entry_bytes.begin(), entry_bytes.end());
    folder.Apply(entry);
  }
  FUZZ_EXPECT(std::ranges::equal(encoded, std::span(bytes).first(decoded.consumed)));
  FUZZ_EXPECT(folder.Count() <= decoded.entries.size());
  return 0;
}
