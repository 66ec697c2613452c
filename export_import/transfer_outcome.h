// What an export or an import did, told in numbers, and where and why it
// stopped when it did not finish: the window shows only whether it worked,
// the command line says all of it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace quillmere {

struct ExportOutcome {
  enum class Stop {
    None,              // every chosen contact was written
    FileNotOpened,     // the file could be neither opened nor created (`error`)
    FileNotValid,      // the existing file is not a contact file, or is full (`fileProblem`)
    OutlookUnreachable,
    OutlookFailed,     // Outlook failed during the walk (`error`)
    ContactNotRead,    // Outlook could not deliver `contact` whole (`error`)
    RecordNotWritten,  // the record of `contact` could not be written (`error`, a full disk say)
  };
  Stop stop = Stop::None;
  std::size_t contactsMet = 0;     // contacts of Outlook's folder walked, chosen or not
  std::size_t recordsWritten = 0;  // appended by this export
  std::size_t recordsBefore = 0;   // in the file before it (known once a first record was to be written)
  std::wstring contact;            // EntryID of the contact at which it stopped
  HRESULT error = S_OK;
  std::string fileProblem;

  explicit operator bool() const { return stop == Stop::None; }
};

struct ImportOutcome {
  enum class Stop {
    None,                // every record became a new contact
    FileNotOpened,       // `error`
    FileNotValid,        // `fileProblem`
    OutlookUnreachable,
    RecordNotRead,       // record number `contactsCreated` + 1 could not be read whole
    ContactNotCreated,   // Outlook refused record number `contactsCreated` + 1 (`error`, when it said why)
  };
  Stop stop = Stop::None;
  std::size_t recordsInFile = 0;
  std::size_t contactsCreated = 0;
  HRESULT error = S_OK;
  std::string fileProblem;

  explicit operator bool() const { return stop == Stop::None; }
};

}  // namespace quillmere
