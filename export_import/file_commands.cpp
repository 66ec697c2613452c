#include "file_commands.h"

#include "contact_mapping.h"
#include "language.h"
#include "resource.h"
#include "win32_file.h"

namespace quillmere {

ExportOutcome ExportContacts(QuillmereSession& session, FileAccess& file, const ContactChooser& chosen,
                             const ProgressReport& progress) {
  using Stop = ExportOutcome::Stop;
  ExportOutcome outcome;
  try {
    long items = 0;
    if (!session.OpenFreshContacts(&items)) {
      outcome.stop = Stop::OutlookUnreachable;
      return outcome;
    }
    // The file is open to this program alone: its header is read once, at
    // the first record, and kept up to date from then on.
    std::optional<contact_file::AppendPlace> place;
    bool prepared = false;
    for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
      ++outcome.contactsMet;
      if (progress) progress(outcome.contactsMet, static_cast<std::size_t>(items));
      // Read once, for the choice and for the record.
      const _bstr_t entry_id = session.EntryIdOfWalkContact();
      const wchar_t* units = entry_id;
      const std::wstring_view id = units != nullptr ? std::wstring_view(units, entry_id.length()) : std::wstring_view();
      if (!chosen(id)) continue;
      if (!prepared) {
        place = contact_file::PrepareAppend(file);
        prepared = true;
        if (!place) {
          outcome.stop = Stop::FileNotValid;
          outcome.fileProblem = contact_file::DescribeProblem(file, false);
          return outcome;
        }
        outcome.recordsBefore = static_cast<std::size_t>(place->header.recordCount);
      }
      HRESULT outlook_error = S_OK;
      switch (session.AppendContactToFile(file, place, contact, entry_id, outlook_error)) {
        case QuillmereSession::Appended::Yes:
          ++outcome.recordsWritten;
          continue;
        case QuillmereSession::Appended::NoPlace:
          outcome.stop = Stop::FileNotValid;
          outcome.fileProblem = contact_file::DescribeProblem(file, false);
          break;
        case QuillmereSession::Appended::ContactNotRead:
          outcome.stop = Stop::ContactNotRead;
          outcome.error = outlook_error;
          break;
        case QuillmereSession::Appended::NotWritten:
          outcome.stop = Stop::RecordNotWritten;
          break;
      }
      outcome.contact = id;
      return outcome;
    }
  } catch (const _com_error& error) {
    outcome.stop = Stop::OutlookFailed;
    outcome.error = error.Error();
  }
  return outcome;
}

ExportOutcome ExportContactsToFile(QuillmereSession& session, const std::wstring& path, const ContactChooser& chosen,
                                   const ProgressReport& progress) {
  const auto file = Win32File::OpenForExport(path);
  if (!file) {
    ExportOutcome not_opened;
    not_opened.stop = ExportOutcome::Stop::FileNotOpened;
    not_opened.error = HRESULT_FROM_WIN32(GetLastError());
    return not_opened;
  }
  ExportOutcome outcome = ExportContacts(session, *file, chosen, progress);
  if (outcome.stop == ExportOutcome::Stop::RecordNotWritten) outcome.error = file->LastError();
  return outcome;
}

ImportOutcome ImportContactsFromFile(QuillmereSession& session, const std::wstring& path,
                                     const ProgressReport& progress) {
  const auto file = Win32File::OpenForImport(path);
  if (!file) {
    ImportOutcome not_opened;
    not_opened.stop = ImportOutcome::Stop::FileNotOpened;
    not_opened.error = HRESULT_FROM_WIN32(GetLastError());
    return not_opened;
  }
  return session.ImportContactFile(*file, progress);
}

std::wstring ExportResultText(bool exported, const std::wstring& path) {
  return exported ? LoadText(IDS_EXPORTED_TO) + L" " + path : LoadText(IDS_EXPORT_FAILED);
}

std::wstring ImportResultText(bool imported) { return LoadText(imported ? IDS_IMPORT_DONE : IDS_IMPORT_FAILED); }

}  // namespace quillmere
