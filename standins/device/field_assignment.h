// "Field=Value" as a person types it to change one field of a contact on the
// device. Plain C++, no Windows header.
#pragma once

#include <optional>
#include <string_view>

#include "contact_record.h"

namespace device {

// The writable field (every field but EntryID, which only the desktop
// assigns) whose name matches `name`, ignoring letter case.
std::optional<contact_core::FieldId> WritableFieldNamed(std::u16string_view name);

// Sets one field from "Field=Value". Throws std::invalid_argument, saying
// what is wrong, for a missing "=", an unknown or read-only field, or a value
// longer than the field holds; the record is then unchanged.
void ApplyAssignment(std::u16string_view assignment, contact_core::ContactRecord& record);

}  // namespace device
