// A persisted handle of any bytes: what is read back is written again as the
// same bytes it was read from (a time that is not a number included).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_expect.h"
#include "persisted_handle.h"

namespace persisted = pelloquin::persisted;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::byte> bytes(reinterpret_cast<const std::byte*>(data),
                                     reinterpret_cast<const std::byte*>(data) + size);
  const auto form = persisted::Read(bytes);
  if (!form) return 0;
  const std::size_t written_size = persisted::SizeOf(*form);
  FUZZ_EXPECT(written_size <= size);
  std::vector<std::byte> written(written_size);
  persisted::Write(*form, written);
  FUZZ_EXPECT(std::ranges::equal(written, std::span(bytes).first(written_size)));
  return 0;
}
