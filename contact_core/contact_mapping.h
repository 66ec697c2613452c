// Between an Outlook contact and a contact record: the reading accessor of
// each of the 26 fields, the setting accessor of the 25 writable ones, and the
// two whole-contact operations built on them.
#pragma once

#include "com_support.h"
#include <windows.h>

#include "contact_record.h"

namespace contact_core {

// The property carried by `field`, as Outlook delivers it (a null string
// allowed). Raises _com_error on a failure.
_bstr_t ReadContactProperty(IDispatch* contact, FieldId field);
// Sets the property carried by `field` (not EntryID, which Outlook assigns).
// Raises _com_error on a failure.
void WriteContactProperty(IDispatch* contact, FieldId field, const _bstr_t& text);

DATE ReadLastModificationTime(IDispatch* contact);

// Fills `record`, which the caller has zeroed, from `contact`, field by field
// in record order. A value longer than its field is cut as ContactRecord::SetText cuts it.
// Never raises: a property Outlook cannot deliver ends the read, leaving that
// field and the later ones as they were. A null contact or record does nothing.
void ReadContact(IDispatchPtr contact, ContactRecord* record) noexcept;

// ReadContact for callers that must not take a partly read contact for a
// whole one: raises _com_error when Outlook cannot deliver a property, with
// the fields before it filled in.
void ReadContactOrRaise(IDispatch* contact, ContactRecord& record);
// The same for a caller that has read the contact's EntryID already: the
// record's EntryID field takes `entry_id`, and only the other 25 properties
// are read from Outlook.
void ReadContactOrRaise(IDispatch* contact, const _bstr_t& entry_id, ContactRecord& record);

// Sets all 25 writable properties of `contact` from `record` (an empty field
// clears its property) and saves the contact. EntryID is never written.
// Raises _com_error when Outlook refuses a property or the save; properties
// set before the failure stay set, unsaved. A null contact or record does
// nothing.
void WriteContact(const ContactRecord* record, IDispatchPtr contact);

}  // namespace contact_core
