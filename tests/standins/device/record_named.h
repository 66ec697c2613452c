// A contact record with a name and nothing else, for tests of the device.
#pragma once

#include <string_view>

#include "contact_record.h"

namespace standin_testing {

inline contact_core::ContactRecord RecordNamed(std::u16string_view lastName, std::u16string_view firstName = {}) {
  contact_core::ContactRecord record;
  record.SetText(contact_core::FieldId::LastName, lastName);
  record.SetText(contact_core::FieldId::FirstName, firstName);
  return record;
}

}  // namespace standin_testing
