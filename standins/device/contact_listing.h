// How the device shows its contacts to a person: one line per contact, or
// every field of one.
#pragma once

#include <string>

#include "device_store.h"

namespace device {

// "    3  changed  Berg, Anna (Norvane Ltd)"
std::string ListLine(const Entry& entry);
// The object id, the marks and every non-empty field, one per line.
std::string FullListing(const Entry& entry);

}  // namespace device
