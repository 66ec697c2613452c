// How the device shows its contacts to a person: one line per contact, or
// every field of one.
#pragma once

#include <string>

#include "device_store.h"

namespace device {

// "Berg, Anna (Norvane Ltd)"; "(no name)" when the record has none.
std::string DisplayName(const contact_core::ContactRecord& record);
// "    3  changed  Berg, Anna (Norvane Ltd)"
std::string ListLine(const Entry& entry);
// The object id, the marks and every non-empty field, one per line.
std::string FullListing(const Entry& entry);

}  // namespace device
