#include "file_commands.h"

#include "contact_mapping.h"
#include "language.h"
#include "resource.h"
#include "win32_file.h"

namespace quillmere {

namespace {

std::wstring EntryIdOf(IDispatch* contact) {
  const _bstr_t entry_id = contact_core::ReadContactProperty(contact, contact_core::FieldId::EntryID);
  if (static_cast<const wchar_t*>(entry_id) == nullptr) return {};
  return {static_cast<const wchar_t*>(entry_id), entry_id.length()};
}

}  // namespace

bool ExportContacts(QuillmereSession& session, FileAccess& file, const ContactChooser& chosen) {
  try {
    if (!session.OpenFreshContacts()) return false;
    for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
      if (chosen(EntryIdOf(contact)) && !session.AppendContactToFile(file, contact)) return false;
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
