#include "file_commands.h"

#include "contact_mapping.h"
#include "language.h"
#include "resource.h"
#include "win32_file.h"

namespace quillmere {

bool ExportContacts(QuillmereSession& session, FileAccess& file, const ContactChooser& chosen) {
  try {
    if (!session.OpenFreshContacts()) return false;
    // The file is open to this program alone: its header is read once, at
    // the first record, and kept up to date from then on.
    std::optional<contact_file::AppendPlace> place;
    bool prepared = false;
    for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
      // Read once, for the choice and for the record.
      const _bstr_t entry_id = session.EntryIdOfWalkContact();
      const wchar_t* units = entry_id;
      if (!chosen(units != nullptr ? std::wstring_view(units, entry_id.length()) : std::wstring_view())) continue;
      if (!prepared) {
        place = contact_file::PrepareAppend(file);
        prepared = true;
      }
      if (!session.AppendContactToFile(file, place, contact, entry_id)) return false;
    }
  } catch (const _com_error&) {
    return false;
  }
  return true;
}

bool ExportContactsToFile(QuillmereSession& session, const std::wstring& path, const ContactChooser& chosen) {
  const auto file = Win32File::OpenForExport(path);
  return file && ExportContacts(session, *file, chosen);
}

bool ImportContactsFromFile(QuillmereSession& session, const std::wstring& path) {
  const auto file = Win32File::OpenForImport(path);
  return file && session.ImportContactFile(*file);
}

std::wstring ExportResultText(bool exported, const std::wstring& path) {
  return exported ? LoadText(IDS_EXPORTED_TO) + L" " + path : LoadText(IDS_EXPORT_FAILED);
}

std::wstring ImportResultText(bool imported) { return LoadText(imported ? IDS_IMPORT_DONE : IDS_IMPORT_FAILED); }

}  // namespace quillmere
