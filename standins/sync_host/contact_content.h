// What two contacts are compared by: the 25 fields a contact carries, EntryID
// left out. Two records with the same content are the same contact as far as
// the device can tell. Plain C++, no Windows header.
#pragma once

#include <cstdint>
#include <string>

#include "contact_record.h"

namespace sync_host {

std::u16string Content(const contact_core::ContactRecord& record);
// A 64-bit FNV-1a digest of the content; never kUnknownDigest (0).
std::uint64_t ContentDigest(const contact_core::ContactRecord& record);

}  // namespace sync_host
