// Quillmere's way into Outlook: the shared Outlook session plus the two
// operations that move contacts between Outlook and a contact file.
#pragma once

#include <optional>

#include "contact_file.h"
#include "file_access.h"
#include "outlook_session.h"

namespace quillmere {

class QuillmereSession : public contact_core::OutlookSession {
 public:
  // Lets go of the collection held from before, even when Outlook fails while
  // it is walked out (an Outlook that was restarted), and opens a fresh one;
  // false when Outlook cannot be reached. Unlike OpenContacts alone, a failure
  // never leaves an earlier, stale collection open. Raises _com_error when
  // Outlook fails while the new collection is counted.
  bool OpenFreshContacts();

  // Reads `contact`, whose EntryID `entry_id` the caller has read, and
  // appends it to `file` as one record at `place` (contact_file.h), rewriting
  // the header; true when the record and the new header were written, and
  // `place` is then where the next record goes. False, with the file as it
  // was, when there is no contact, there is no place for another record,
  // Outlook cannot deliver every property of the contact, or a write fails.
  bool AppendContactToFile(FileAccess& file, std::optional<contact_file::AppendPlace>& place, IDispatchPtr contact,
                           const _bstr_t& entry_id);

  // Creates one new, saved Outlook contact per record of `file`; true when
  // every record became one, also when the file holds none. A file that is
  // not valid is refused before Outlook is touched. Stops at the first record
  // that cannot be read whole or that Outlook refuses; the contacts created
  // before stay.
  bool ImportContactFile(FileAccess& file);
};

}  // namespace quillmere
