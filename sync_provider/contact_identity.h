// When two Outlook contacts are the same contact: the identity rule behind
// conflicts and duplicates. Two contacts are equal when all 25 writable
// properties (FirstName ... BusinessTelephoneNumber) are equal; EntryID, the
// modification time and every other property play no part. Two values are
// equal when both are absent, or both present with the same UTF-16 code units:
// letter case, spaces and punctuation count, and an absent value differs from
// an empty one.
#pragma once

#include "com_support.h"
#include <windows.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "contact_record.h"

namespace pelloquin {

inline constexpr std::size_t kIdentityPropertyCount = 25;

// The compared properties, in the order they are compared.
inline constexpr std::array<contact_core::FieldId, kIdentityPropertyCount> kIdentityProperties = [] {
  std::array<contact_core::FieldId, kIdentityPropertyCount> properties{};
  for (std::size_t i = 0; i < properties.size(); ++i) properties[i] = static_cast<contact_core::FieldId>(i + 1);
  return properties;
}();

// A property value as the rule compares it: nullopt when absent.
using IdentityValue = std::optional<std::wstring>;

IdentityValue ReadIdentityValue(IDispatch* contact, contact_core::FieldId property);

// Reads the two contacts' properties from Outlook pair by pair and stops at the
// first that differs. Raises _com_error when Outlook cannot deliver one.
bool ContactsEqual(IDispatch* first, IDispatch* second);

// All 25 values of one contact, read once, for comparing many contacts with
// one read each.
struct ContactIdentity {
  std::array<IdentityValue, kIdentityPropertyCount> values;

  // Raises _com_error when Outlook cannot deliver a property.
  static ContactIdentity Read(IDispatch* contact);
  bool operator==(const ContactIdentity&) const = default;
};

struct ContactIdentityHash {
  std::size_t operator()(const ContactIdentity& identity) const noexcept;
};

}  // namespace pelloquin
