// The export and the import without any window: what the Export and Import
// buttons and the command line run once a file has been chosen, and the
// result texts they show or print.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "file_access.h"
#include "quillmere_session.h"
#include "transfer_outcome.h"

namespace quillmere {

// Whether the export writes the contact with this EntryID.
using ContactChooser = std::function<bool(std::wstring_view entry_id)>;

// Walks Outlook's contacts in folder order and appends each chosen one to
// `file`. Succeeds when Outlook could be reached and every chosen contact was
// written (none chosen counts); stops at the first contact that could not be
// read or appended, or when Outlook fails during the walk. Records written
// before a failure stay, and the file stays valid. `progress` hears of every
// contact walked, of the number of items in the folder.
ExportOutcome ExportContacts(QuillmereSession& session, FileAccess& file, const ContactChooser& chosen,
                             const ProgressReport& progress = {});

// Opens (or creates) the file at `path` and exports to it; fails also when
// the file can be neither opened nor created.
ExportOutcome ExportContactsToFile(QuillmereSession& session, const std::wstring& path, const ContactChooser& chosen,
                                   const ProgressReport& progress = {});
// Opens the file at `path` for reading and imports it; fails also when it
// cannot be opened.
ImportOutcome ImportContactsFromFile(QuillmereSession& session, const std::wstring& path,
                                     const ProgressReport& progress = {});

// "Exported contacts to" and the path, or "Failed to export contacts.", in
// the current language.
std::wstring ExportResultText(bool exported, const std::wstring& path);
// "Import contacts successfully" or "Failed to import contacts.".
std::wstring ImportResultText(bool imported);

}  // namespace quillmere
