// The default Contacts folder of this process: the items in memory, kept in
// step with the store file that every process using the stand-in shares.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "folder_state.h"
#include "journal_file.h"
#include "standin_lock.h"

namespace outlook_standin {

class ContactsFolder {
 public:
  using Position = FolderState::Position;
  using TimeOrderPosition = FolderState::TimeOrderPosition;

  std::filesystem::path File(const StandinLock&) const;
  // Keeps the folder in `file` from now on.
  void Bind(const StandinLock&, std::filesystem::path file);

  // Catches up with what other processes stored.
  void Refresh(const StandinLock&);
  std::size_t Count(const StandinLock&) const { return state_.Count(); }
  std::optional<std::pair<Position, journal::StoredItem>> ItemAfter(const StandinLock&,
                                                                   std::optional<Position> position) const;
  std::optional<std::pair<Position, journal::StoredItem>> LastItem(const StandinLock&) const;
  std::optional<std::pair<TimeOrderPosition, journal::StoredItem>> ItemAfterInTimeOrder(
      const StandinLock&, std::optional<TimeOrderPosition> position, bool descending) const;
  // The item an EntryID names, as the store resolves it: the text stands for
  // bytes, so the letter case of its hexadecimal digits does not matter.
  // Throws ComFailure MAPI_E_INVALID_ENTRYID for a text that is not an even
  // number of hexadecimal digits, MAPI_E_NOT_FOUND for an item not stored.
  journal::StoredItem ItemById(const StandinLock&, std::wstring_view entryId);
  // The item at `index` (0 is the first) in folder order, or in the order of
  // modification times (latest first when `descending`), if there is one.
  std::optional<journal::StoredItem> ItemAt(const StandinLock&, std::size_t index,
                                            std::optional<bool> descending) const;
  // Every item as the folder holds them now, in folder order.
  std::vector<journal::StoredItem> Items(const StandinLock&) const { return state_.Items(); }

  // Stores `item`: a new one (empty EntryID) gets its EntryID and joins the
  // end of the folder, an existing one is replaced in place. Either way it
  // gets a new modification time. Updates `item` only when the store did.
  void Save(const StandinLock&, journal::StoredItem& item);
  void Delete(const StandinLock&, std::wstring_view entryId);

  // Replaces the whole folder; items without EntryID or time get them.
  void Seed(const StandinLock&, std::vector<journal::StoredItem> items);
  std::vector<journal::StoredItem> Contents(const StandinLock&);

 private:
  JournalFile& Journal();
  void CompactIfWorthwhile(JournalFile::Session& session);

  std::optional<std::filesystem::path> chosenFile_;
  std::optional<JournalFile> journal_;
  FolderState state_;
};

ContactsFolder& TheContactsFolder();

}  // namespace outlook_standin
