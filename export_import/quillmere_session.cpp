#include "quillmere_session.h"

#include "contact_file.h"
#include "contact_mapping.h"

namespace quillmere {

using contact_core::ContactRecord;

bool QuillmereSession::OpenFreshContacts(long* items) {
  CloseItems();
  const long count = OpenContacts();
  if (items != nullptr) *items = count;
  return HasOpenCollection();
}

QuillmereSession::Appended QuillmereSession::AppendContactToFile(FileAccess& file,
                                                                std::optional<contact_file::AppendPlace>& place,
                                                                IDispatchPtr contact, const _bstr_t& entry_id,
                                                                HRESULT& outlook_error) {
  if (!contact || !place) return Appended::NoPlace;
  ContactRecord record;
  try {
    contact_core::ReadContactOrRaise(contact, entry_id, record);
  } catch (const _com_error& error) {
    outlook_error = error.Error();
    return Appended::ContactNotRead;
  }
  if (!contact_file::CommitAppend(file, *place, record)) return Appended::NotWritten;
  place = contact_file::PlaceAfter(*place);
  return Appended::Yes;
}

ImportOutcome QuillmereSession::ImportContactFile(FileAccess& file, const ProgressReport& progress) {
  using Stop = ImportOutcome::Stop;
  ImportOutcome outcome;
  const auto header = contact_file::ReadValidHeader(file);
  if (!header) {
    outcome.stop = Stop::FileNotValid;
    outcome.fileProblem = contact_file::DescribeProblem(file, true);
    return outcome;
  }
  outcome.recordsInFile = static_cast<std::size_t>(header->recordCount);
  try {
    if (!OpenFreshContacts() && header->recordCount > 0) {
      outcome.stop = Stop::OutlookUnreachable;
      return outcome;
    }
    for (std::int32_t index = 0; index < header->recordCount; ++index) {
      ContactRecord record;
      if (!contact_file::ReadNextRecord(file, record)) {
        outcome.stop = Stop::RecordNotRead;
        return outcome;
      }
      IDispatchPtr contact = AddContact();
      if (!contact) {
        outcome.stop = Stop::ContactNotCreated;
        return outcome;
      }
      contact_core::WriteContact(&record, contact);
      ++outcome.contactsCreated;
      if (progress) progress(outcome.contactsCreated, outcome.recordsInFile);
    }
  } catch (const _com_error& error) {
    outcome.stop = Stop::ContactNotCreated;
    outcome.error = error.Error();
  }
  return outcome;
}

}  // namespace quillmere
