// The sync host's state file of any bytes: refused with a format error, or
// read as a state that is encoded again as the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_expect.h"
#include "host_state_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::byte> bytes(reinterpret_cast<const std::byte*>(data),
                                     reinterpret_cast<const std::byte*>(data) + size);
  sync_host::HostState state;
  try {
    state = sync_host::DecodeHostState(bytes);
  } catch (const sync_host::StateFormatError&) {
    return 0;
  }
  FUZZ_EXPECT(std::ranges::equal(sync_host::EncodeHostState(state), bytes));
  return 0;
}
