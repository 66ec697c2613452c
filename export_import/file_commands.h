// The export and the import without any window: what the Export and Import
// buttons and the command line run once a file has been chosen, and the
// result texts they show or print.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "file_access.h"
#include "quillmere_session.h"

namespace quillmere {

// Whether the export writes the contact with this EntryID.
using ContactChooser = std::function<bool(std::wstring_view entry_id)>;

// Walks Outlook's contacts in folder order and appends each chosen one to
// `file`. True when Outlook could be reached and every chosen contact was
// written (none chosen counts); false at the first contact that could not be
// read or appended, or when Outlook fails during the walk. Records written
// before a failure stay, and the file stays valid.
bool ExportContacts(QuillmereSession& session, FileAccess& file, const ContactChooser& chosen);

// Opens (or creates) the file at `path` and exports to it; false also when
// the file can be neither opened nor created.
bool ExportContactsToFile(QuillmereSession& session, const std::wstring& path, const ContactChooser& chosen);
// Opens the file at `path` for reading and imports it; false also when it
// cannot be opened.
bool ImportContactsFromFile(QuillmereSession& session, const std::wstring& path);

// "Exported contacts to" and the path, or "Failed to export contacts.", in
// the current language.
std::wstring ExportResultText(bool exported, const std::wstring& path);
// "Import contacts successfully" or "Failed to import contacts.".
std::wstring ImportResultText(bool imported);

}  // namespace quillmere
