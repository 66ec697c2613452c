// The simulated device's store of any bytes: refused with a format error, or
// read as a store whose encoding reads back as itself and keeps every
// contact's bytes (a free slot keeps only its zero object id).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device_store_format.h"
#include "fuzz_expect.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::byte> bytes(reinterpret_cast<const std::byte*>(data),
                                     reinterpret_cast<const std::byte*>(data) + size);
  device::StoreImage image;
  try {
    image = device::DecodeStore(bytes);
  } catch (const device::FormatError&) {
    return 0;
  }
  // Encoded again it reads as the same store, and every contact keeps its bytes.
  const std::vector<std::byte> encoded = device::EncodeStore(image);
  FUZZ_EXPECT(encoded.size() == size);
  FUZZ_EXPECT(device::EncodeStore(device::DecodeStore(encoded)) == encoded);
  for (std::size_t index = 0; index < image.slots.size(); ++index) {
    const std::size_t kept = image.slots[index].IsFree() ? 4 : device::kSlotSize;
    FUZZ_EXPECT(std::ranges::equal(std::span(encoded).subspan(device::SlotOffset(index), kept),
                                   std::span(bytes).subspan(device::SlotOffset(index), kept)));
  }
  return 0;
}
