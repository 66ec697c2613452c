#include "contact_identity.h"

#include <functional>

#include "contact_mapping.h"

namespace pelloquin {

IdentityValue ReadIdentityValue(IDispatch* contact, contact_core::FieldId property) {
  const _bstr_t text = contact_core::ReadContactProperty(contact, property);
  const wchar_t* units = text;
  if (units == nullptr) return std::nullopt;
  // The whole BSTR, embedded zeros included.
  return std::wstring(units, text.length());
}

bool ContactsEqual(IDispatch* first, IDispatch* second) {
  for (const contact_core::FieldId property : kIdentityProperties) {
    if (ReadIdentityValue(first, property) != ReadIdentityValue(second, property)) return false;
  }
  return true;
}

ContactIdentity ContactIdentity::Read(IDispatch* contact) {
  ContactIdentity identity;
  for (std::size_t i = 0; i < kIdentityProperties.size(); ++i) {
    identity.values[i] = ReadIdentityValue(contact, kIdentityProperties[i]);
  }
  return identity;
}

std::size_t ContactIdentityHash::operator()(const ContactIdentity& identity) const noexcept {
  std::size_t hash = 0;
  for (const IdentityValue& value : identity.values) {
    // An absent value hashes apart from an empty one.
    const std::size_t part = value ? std::hash<std::wstring>{}(*value) : 0x9e3779b9u;
    hash = hash * 31 + part;
  }
  return hash;
}

}  // namespace pelloquin
