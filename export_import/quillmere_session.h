// Quillmere's way into Outlook: the shared Outlook session plus the two
// operations that move contacts between Outlook and a contact file.
#pragma once

#include <functional>
#include <optional>

#include "contact_file.h"
#include "file_access.h"
#include "outlook_session.h"
#include "transfer_outcome.h"

namespace quillmere {

// Hears how far long work has come: `done` of `total` (0 when not known).
using ProgressReport = std::function<void(std::size_t done, std::size_t total)>;

class QuillmereSession : public contact_core::OutlookSession {
 public:
  // Lets go of the collection held from before, even when Outlook fails while
  // it is walked out (an Outlook that was restarted), and opens a fresh one;
  // false when Outlook cannot be reached. Unlike OpenContacts alone, a failure
  // never leaves an earlier, stale collection open. Raises _com_error when
  // Outlook fails while the new collection is counted. `items`, when given,
  // receives the number of items in the folder (contacts or not).
  bool OpenFreshContacts(long* items = nullptr);

  enum class Appended {
    Yes,
    NoPlace,         // no contact, or no place for another record
    ContactNotRead,  // Outlook could not deliver every property (`outlook_error`)
    NotWritten,      // a write failed
  };
  // Reads `contact`, whose EntryID `entry_id` the caller has read, and
  // appends it to `file` as one record at `place` (contact_file.h), rewriting
  // the header; Yes when the record and the new header were written, and
  // `place` is then where the next record goes. Otherwise the file is as it
  // was, and the answer says why.
  Appended AppendContactToFile(FileAccess& file, std::optional<contact_file::AppendPlace>& place, IDispatchPtr contact,
                               const _bstr_t& entry_id, HRESULT& outlook_error);

  // Creates one new, saved Outlook contact per record of `file`; succeeds
  // when every record became one, also when the file holds none. A file that
  // is not valid is refused before Outlook is touched. Stops at the first
  // record that cannot be read whole or that Outlook refuses; the contacts
  // created before stay. `progress` hears of every contact created.
  ImportOutcome ImportContactFile(FileAccess& file, const ProgressReport& progress = {});
};

}  // namespace quillmere
