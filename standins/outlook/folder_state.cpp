#include "folder_state.h"

#include <algorithm>
#include <iterator>
#include <type_traits>

namespace outlook_standin {

std::optional<std::pair<FolderState::Position, const journal::StoredItem*>> FolderState::ItemAfter(
    std::optional<Position> position) const {
  const auto next = position ? items_.upper_bound(*position) : items_.begin();
  if (next == items_.end()) return std::nullopt;
  return std::pair{next->first, &next->second};
}

std::optional<std::pair<FolderState::Position, const journal::StoredItem*>> FolderState::LastItem() const {
  if (items_.empty()) return std::nullopt;
  const auto last = std::prev(items_.end());
  return std::pair{last->first, &last->second};
}

std::optional<std::pair<FolderState::TimeOrderPosition, const journal::StoredItem*>>
FolderState::ItemAfterInTimeOrder(std::optional<TimeOrderPosition> position, bool descending) const {
  const auto comesBefore = [descending](const TimeOrderPosition& a, const TimeOrderPosition& b) {
    if (a.first != b.first) return descending ? a.first > b.first : a.first < b.first;
    return a.second < b.second;
  };
  std::optional<std::pair<TimeOrderPosition, const journal::StoredItem*>> next;
  for (const auto& [itemPosition, item] : items_) {
    const TimeOrderPosition key{item.lastModificationTime, itemPosition};
    if (position && !comesBefore(*position, key)) continue;
    if (!next || comesBefore(key, next->first)) next.emplace(key, &item);
  }
  return next;
}

const journal::StoredItem* FolderState::Find(std::wstring_view entryId) const {
  const auto found = positions_.find(std::wstring(entryId));
  return found == positions_.end() ? nullptr : &items_.at(found->second);
}

std::vector<journal::StoredItem> FolderState::Items() const {
  std::vector<journal::StoredItem> items;
  items.reserve(items_.size());
  for (const auto& [position, item] : items_) items.push_back(item);
  return items;
}

void FolderState::Apply(const journal::Entry& entry) {
  std::visit(
      [this](const auto& change) {
        if constexpr (std::is_same_v<std::decay_t<decltype(change)>, journal::Upsert>) {
          Put(change.item);
        } else {
          Remove(change.entryId);
        }
      },
      entry);
}

void FolderState::Put(journal::StoredItem item) {
  latestTime_ = std::max(latestTime_, item.lastModificationTime);
  liveBytes_ += journal::EncodedUpsertSize(item);
  const auto [found, inserted] = positions_.try_emplace(item.entryId, nextPosition_);
  if (inserted) {
    items_.emplace(nextPosition_++, std::move(item));
    return;
  }
  auto& stored = items_.at(found->second);
  liveBytes_ -= journal::EncodedUpsertSize(stored);
  stored = std::move(item);
}

bool FolderState::Remove(std::wstring_view entryId) {
  const auto found = positions_.find(std::wstring(entryId));
  if (found == positions_.end()) return false;
  const auto item = items_.find(found->second);
  liveBytes_ -= journal::EncodedUpsertSize(item->second);
  items_.erase(item);
  positions_.erase(found);
  return true;
}

void FolderState::Clear() {
  items_.clear();
  positions_.clear();
  liveBytes_ = 0;
}

}  // namespace outlook_standin
