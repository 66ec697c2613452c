#include "quillmere_session.h"

#include "contact_file.h"
#include "contact_mapping.h"

namespace quillmere {

using contact_core::ContactRecord;

bool QuillmereSession::OpenFreshContacts() {
  CloseItems();
  OpenContacts();
  return HasOpenCollection();
}

bool QuillmereSession::AppendContactToFile(FileAccess& file, std::optional<contact_file::AppendPlace>& place,
                                           IDispatchPtr contact, const _bstr_t& entry_id) {
  if (!contact || !place) return false;
  ContactRecord record;
  try {
    contact_core::ReadContactOrRaise(contact, entry_id, record);
  } catch (const _com_error&) {
    return false;
  }
  if (!contact_file::CommitAppend(file, *place, record)) return false;
  place = contact_file::PlaceAfter(*place);
  return true;
}

bool QuillmereSession::ImportContactFile(FileAccess& file) {
  const auto header = contact_file::ReadValidHeader(file);
  if (!header) return false;
  try {
    OpenFreshContacts();
    for (std::int32_t index = 0; index < header->recordCount; ++index) {
      ContactRecord record;
      if (!contact_file::ReadNextRecord(file, record)) return false;
      IDispatchPtr contact = AddContact();
      if (!contact) return false;
      contact_core::WriteContact(&record, contact);
    }
  } catch (const _com_error&) {
    return false;
  }
  return true;
}

}  // namespace quillmere
