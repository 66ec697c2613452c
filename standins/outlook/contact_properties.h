// Names of the contact's string properties, in contact record order.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "ascii_case.h"

namespace outlook_standin {

inline constexpr std::wstring_view kEntryIdName = L"EntryID";

inline constexpr std::array<std::wstring_view, 25> kWritablePropertyNames{
    L"FirstName",             L"LastName",
    L"MiddleName",            L"Title",
    L"CompanyName",           L"Email1Address",
    L"MobileTelephoneNumber", L"HomeAddressStreet",
    L"HomeAddressCity",       L"HomeAddressState",
    L"HomeAddressPostalCode", L"HomeAddressCountry",
    L"HomeTelephoneNumber",   L"OtherAddressStreet",
    L"OtherAddressCity",      L"OtherAddressState",
    L"OtherAddressPostalCode", L"OtherAddressCountry",
    L"OtherTelephoneNumber",  L"BusinessAddressStreet",
    L"BusinessAddressCity",   L"BusinessAddressState",
    L"BusinessAddressPostalCode", L"BusinessAddressCountry",
    L"BusinessTelephoneNumber",
};

constexpr std::optional<std::size_t> WritablePropertyIndex(std::wstring_view name) {
  for (std::size_t index = 0; index < kWritablePropertyNames.size(); ++index) {
    if (EqualsIgnoringAsciiCase(kWritablePropertyNames[index], name)) return index;
  }
  return std::nullopt;
}

}  // namespace outlook_standin
