#include "contact_mapping.h"

#include <exception>
#include <string>

#include "outlook_dispatch.h"

namespace contact_core {

namespace {

std::string_view PropertyName(FieldId field) { return Field(field).name; }

// BSTRs are UTF-16 on Windows; the record keeps the same code units.
std::u16string_view UnitsOf(const _bstr_t& text) {
  const wchar_t* units = text;
  if (units == nullptr) return {};
  return {reinterpret_cast<const char16_t*>(units), text.length()};
}

_bstr_t NewAutomationString(std::u16string_view text) {
  BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  if (copy == nullptr) _com_issue_error(E_OUTOFMEMORY);
  return _bstr_t(copy, false);
}

}  // namespace

_bstr_t ReadContactProperty(IDispatch* contact, FieldId field) {
  return AsText(GetProperty(contact, ContactInterface(), PropertyName(field)));
}

void WriteContactProperty(IDispatch* contact, FieldId field, const _bstr_t& text) {
  if (field == FieldId::EntryID) _com_issue_error(E_INVALIDARG);
  // _variant_t(_bstr_t) would cut the text at an embedded zero; copy the
  // whole string instead.
  _variant_t value;
  value.vt = VT_BSTR;
  value.bstrVal = text.copy();
  PutProperty(contact, ContactInterface(), PropertyName(field), value);
}

DATE ReadLastModificationTime(IDispatch* contact) {
  return AsDate(GetProperty(contact, ContactInterface(), "LastModificationTime"));
}

namespace {

// Reads the fields from `first` on, in record order. A text arrives as a
// BSTR and is copied into the record straight from it: an export reads 25 of
// them per contact, and no further string owner is wanted on the way.
void ReadFieldsOrRaise(IDispatch* contact, ContactRecord& record, std::size_t first) {
  for (std::size_t index = first; index < kContactFieldCount; ++index) {
    const auto field = static_cast<FieldId>(index);
    _variant_t value = GetProperty(contact, ContactInterface(), PropertyName(field));
    if (value.vt != VT_BSTR) {
      const _bstr_t text = AsText(std::move(value));
      if (static_cast<const wchar_t*>(text) != nullptr) record.SetText(field, UnitsOf(text));
    } else if (value.bstrVal != nullptr) {
      record.SetText(field, {reinterpret_cast<const char16_t*>(value.bstrVal), SysStringLen(value.bstrVal)});
    }
  }
}

}  // namespace

void ReadContactOrRaise(IDispatch* contact, ContactRecord& record) { ReadFieldsOrRaise(contact, record, 0); }

void ReadContactOrRaise(IDispatch* contact, const _bstr_t& entry_id, ContactRecord& record) {
  if (static_cast<const wchar_t*>(entry_id) != nullptr) record.SetText(FieldId::EntryID, UnitsOf(entry_id));
  ReadFieldsOrRaise(contact, record, static_cast<std::size_t>(FieldId::EntryID) + 1);
}

void ReadContact(IDispatchPtr contact, ContactRecord* record) noexcept {
  if (!contact || record == nullptr) return;
  try {
    ReadContactOrRaise(contact, *record);
  } catch (const _com_error&) {
    // The caller gets the fields read so far; the rest stay as it left them.
  } catch (const std::exception&) {
  }
}

void WriteContact(const ContactRecord* record, IDispatchPtr contact) {
  if (!contact || record == nullptr) return;
  for (std::size_t index = static_cast<std::size_t>(kFirstWritableField); index < kContactFieldCount; ++index) {
    const auto field = static_cast<FieldId>(index);
    WriteContactProperty(contact, field, NewAutomationString(record->Text(field)));
  }
  CallMethod(contact, ContactInterface(), "Save");
}

}  // namespace contact_core
