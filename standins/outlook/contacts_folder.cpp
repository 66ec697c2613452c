#include "contacts_folder.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

#include "ascii_case.h"
#include "com_failure.h"
#include "item_identity.h"
#include "store_location.h"

namespace outlook_standin {
namespace {

// Compaction pays off once the journal is mostly superseded entries.
constexpr std::uint64_t kCompactionMinimumSize = 1u << 20;
constexpr std::uint64_t kCompactionRatio = 3;

bool IsHexDigit(wchar_t unit) {
  return (unit >= L'0' && unit <= L'9') || (unit >= L'A' && unit <= L'F') || (unit >= L'a' && unit <= L'f');
}

}  // namespace

std::filesystem::path ContactsFolder::File(const StandinLock&) const {
  return chosenFile_ ? *chosenFile_ : DefaultStoreFile();
}

void ContactsFolder::Bind(const StandinLock&, std::filesystem::path file) {
  chosenFile_ = file;
  journal_.emplace(std::move(file));
  state_.Clear();
}

JournalFile& ContactsFolder::Journal() {
  if (!journal_) journal_.emplace(chosenFile_ ? *chosenFile_ : DefaultStoreFile());
  return *journal_;
}

void ContactsFolder::Refresh(const StandinLock&) { JournalFile::Session session(Journal(), state_); }

std::optional<std::pair<ContactsFolder::Position, journal::StoredItem>> ContactsFolder::ItemAfter(
    const StandinLock&, std::optional<Position> position) const {
  const auto found = state_.ItemAfter(position);
  if (!found) return std::nullopt;
  return std::pair{found->first, *found->second};
}

std::optional<std::pair<ContactsFolder::Position, journal::StoredItem>> ContactsFolder::LastItem(
    const StandinLock&) const {
  const auto found = state_.LastItem();
  if (!found) return std::nullopt;
  return std::pair{found->first, *found->second};
}

std::optional<std::pair<ContactsFolder::TimeOrderPosition, journal::StoredItem>> ContactsFolder::ItemAfterInTimeOrder(
    const StandinLock&, std::optional<TimeOrderPosition> position, bool descending) const {
  const auto found = state_.ItemAfterInTimeOrder(position, descending);
  if (!found) return std::nullopt;
  return std::pair{found->first, *found->second};
}

journal::StoredItem ContactsFolder::ItemById(const StandinLock& lock, std::wstring_view entryId) {
  const bool wellFormed = !entryId.empty() && entryId.size() % 2 == 0 &&
                          std::all_of(entryId.begin(), entryId.end(), IsHexDigit);
  if (!wellFormed) throw ComFailure(kInvalidEntryId, L"The EntryID is not valid.");
  Refresh(lock);
  // Stored EntryIDs are written in one letter case; try the text as given,
  // then in either case.
  for (const std::wstring& candidate : {std::wstring(entryId), AsciiUppered(entryId), AsciiLowered(entryId)}) {
    if (const journal::StoredItem* item = state_.Find(candidate)) return *item;
  }
  throw ComFailure(kNotFound, L"The operation failed. An object could not be found.");
}

std::optional<journal::StoredItem> ContactsFolder::ItemAt(const StandinLock&, std::size_t index,
                                                          std::optional<bool> descending) const {
  std::optional<Position> position;
  std::optional<TimeOrderPosition> timePosition;
  for (std::size_t passed = 0;; ++passed) {
    const journal::StoredItem* item = nullptr;
    if (descending) {
      const auto found = state_.ItemAfterInTimeOrder(timePosition, *descending);
      if (!found) return std::nullopt;
      timePosition = found->first;
      item = found->second;
    } else {
      const auto found = state_.ItemAfter(position);
      if (!found) return std::nullopt;
      position = found->first;
      item = found->second;
    }
    if (passed == index) return *item;
  }
}

void ContactsFolder::Save(const StandinLock&, journal::StoredItem& item) {
  JournalFile::Session session(Journal(), state_);
  journal::StoredItem saved = item;
  if (saved.entryId.empty()) {
    do {
      saved.entryId = NewEntryId();
    } while (state_.Find(saved.entryId));
  } else if (!state_.Find(saved.entryId)) {
    throw ComFailure(kObjectDeleted, L"The item has been moved or deleted.");
  }
  saved.lastModificationTime = NextModificationTime(state_.LatestTime());
  session.Append(journal::EncodeUpsert(saved));
  state_.Put(saved);
  item = std::move(saved);
  CompactIfWorthwhile(session);
}

void ContactsFolder::Delete(const StandinLock&, std::wstring_view entryId) {
  JournalFile::Session session(Journal(), state_);
  if (!state_.Find(entryId)) throw ComFailure(kObjectDeleted, L"The item has been moved or deleted.");
  session.Append(journal::EncodeDelete(entryId));
  state_.Remove(entryId);
  CompactIfWorthwhile(session);
}

void ContactsFolder::Seed(const StandinLock&, std::vector<journal::StoredItem> items) {
  std::set<std::wstring> entryIds;
  for (const auto& item : items) {
    if (!item.entryId.empty() && !entryIds.insert(item.entryId).second) {
      throw std::invalid_argument("two seeded items share an EntryID");
    }
  }
  JournalFile::Session session(Journal(), state_);
  state_.Clear();
  for (auto& item : items) {
    while (item.entryId.empty()) {
      auto candidate = NewEntryId();
      if (entryIds.insert(candidate).second) item.entryId = std::move(candidate);
    }
    if (item.lastModificationTime == 0) item.lastModificationTime = NextModificationTime(state_.LatestTime());
    state_.Put(std::move(item));
  }
  try {
    session.Rewrite(state_);
  } catch (...) {
    // The file still holds the old folder; the next operation reads it again.
    Journal().ForgetWhatWasRead();
    throw;
  }
}

std::vector<journal::StoredItem> ContactsFolder::Contents(const StandinLock&) {
  JournalFile::Session session(Journal(), state_);
  return state_.Items();
}

void ContactsFolder::CompactIfWorthwhile(JournalFile::Session& session) {
  if (session.Size() < kCompactionMinimumSize || session.Size() <= kCompactionRatio * state_.CompactJournalSize()) {
    return;
  }
  try {
    session.Rewrite(state_);
  } catch (const ComFailure&) {
    // The change is already stored and the journal is intact; compaction is
    // tried again after a later change.
  }
}

ContactsFolder& TheContactsFolder() {
  static ContactsFolder folder;
  return folder;
}

}  // namespace outlook_standin
