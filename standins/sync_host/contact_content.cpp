#include "contact_content.h"

#include "host_state_format.h"

namespace sync_host {

std::u16string Content(const contact_core::ContactRecord& record) {
  const auto first = record.units.begin() + contact_core::Field(contact_core::kFirstWritableField).offset;
  return std::u16string(first, record.units.end());
}

std::uint64_t ContentDigest(const contact_core::ContactRecord& record) {
  std::uint64_t digest = 0xCBF29CE484222325ull;
  for (const char16_t unit : Content(record)) {
    for (const unsigned byte : {unit & 0xFFu, unsigned{unit} >> 8}) {
      digest ^= byte;
      digest *= 0x100000001B3ull;
    }
  }
  return digest == kUnknownDigest ? 1 : digest;
}

}  // namespace sync_host
