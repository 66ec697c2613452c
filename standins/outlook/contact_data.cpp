// ContactData's access to the writable properties by name.
#include <stdexcept>

#include "contact_properties.h"
#include "outlook_standin.h"

namespace outlook_standin {
namespace {

static_assert(kWritablePropertyNames.size() == kWritablePropertyCount);

std::size_t IndexOrThrow(std::wstring_view property) {
  const auto index = WritablePropertyIndex(property);
  if (!index) throw std::invalid_argument("not a writable contact property");
  return *index;
}

}  // namespace

ContactData& ContactData::Set(std::wstring_view property, std::wstring value) {
  properties[IndexOrThrow(property)] = std::move(value);
  return *this;
}

const PropertyValue& ContactData::Get(std::wstring_view property) const {
  return properties[IndexOrThrow(property)];
}

}  // namespace outlook_standin
