// The columns of the CSV layout Outlook's own export writes, for the fields a
// contact record has. Outlook has no column for EntryID; it travels in a
// column of its own, "Entry ID", which Outlook's import leaves unmapped.
#pragma once

#include <array>
#include <string_view>

#include "contact_record.h"

namespace contact_core {

struct CsvColumn {
  std::string_view name;
  FieldId field;
};

// In the order Outlook writes them.
inline constexpr std::array<CsvColumn, kContactFieldCount> kOutlookCsvColumns = {{
    {"Title", FieldId::Title},
    {"First Name", FieldId::FirstName},
    {"Middle Name", FieldId::MiddleName},
    {"Last Name", FieldId::LastName},
    {"Company", FieldId::CompanyName},
    {"Business Street", FieldId::BusinessAddressStreet},
    {"Business City", FieldId::BusinessAddressCity},
    {"Business State", FieldId::BusinessAddressState},
    {"Business Postal Code", FieldId::BusinessAddressPostalCode},
    {"Business Country/Region", FieldId::BusinessAddressCountry},
    {"Home Street", FieldId::HomeAddressStreet},
    {"Home City", FieldId::HomeAddressCity},
    {"Home State", FieldId::HomeAddressState},
    {"Home Postal Code", FieldId::HomeAddressPostalCode},
    {"Home Country/Region", FieldId::HomeAddressCountry},
    {"Other Street", FieldId::OtherAddressStreet},
    {"Other City", FieldId::OtherAddressCity},
    {"Other State", FieldId::OtherAddressState},
    {"Other Postal Code", FieldId::OtherAddressPostalCode},
    {"Other Country/Region", FieldId::OtherAddressCountry},
    {"Business Phone", FieldId::BusinessTelephoneNumber},
    {"Home Phone", FieldId::HomeTelephoneNumber},
    {"Mobile Phone", FieldId::MobileTelephoneNumber},
    {"Other Phone", FieldId::OtherTelephoneNumber},
    {"E-mail Address", FieldId::Email1Address},
    {"Entry ID", FieldId::EntryID},
}};

// Names older Outlook versions write for the same fields.
inline constexpr std::array<CsvColumn, 3> kOlderOutlookCsvColumns = {{
    {"Business Country", FieldId::BusinessAddressCountry},
    {"Home Country", FieldId::HomeAddressCountry},
    {"Other Country", FieldId::OtherAddressCountry},
}};

// Further lines of a street, which Outlook writes in columns of their own.
inline constexpr std::array<CsvColumn, 6> kOutlookCsvStreetLines = {{
    {"Business Street 2", FieldId::BusinessAddressStreet},
    {"Business Street 3", FieldId::BusinessAddressStreet},
    {"Home Street 2", FieldId::HomeAddressStreet},
    {"Home Street 3", FieldId::HomeAddressStreet},
    {"Other Street 2", FieldId::OtherAddressStreet},
    {"Other Street 3", FieldId::OtherAddressStreet},
}};

}  // namespace contact_core
