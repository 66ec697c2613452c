// The items of the Contacts folder in folder order, as the journal describes
// them. Plain C++, no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "journal_format.h"

namespace outlook_standin {

class FolderState {
 public:
  // Orders the items; a walk remembers the position of the item it is on,
  // so deleting that item does not disturb the walk.
  using Position = std::uint64_t;
  // Where a walk over the items sorted by modification time stands: the
  // time and position of the item it is on (equal times go in folder order).
  using TimeOrderPosition = std::pair<double, Position>;

  std::size_t Count() const { return items_.size(); }
  // The first item after `position`, or the first item when there is none.
  std::optional<std::pair<Position, const journal::StoredItem*>> ItemAfter(
      std::optional<Position> position) const;
  // The last item, or none in an empty folder.
  std::optional<std::pair<Position, const journal::StoredItem*>> LastItem() const;
  // The first item after `position` in the order of modification times
  // (latest first when `descending`), or the first item in that order.
  std::optional<std::pair<TimeOrderPosition, const journal::StoredItem*>> ItemAfterInTimeOrder(
      std::optional<TimeOrderPosition> position, bool descending) const;
  const journal::StoredItem* Find(std::wstring_view entryId) const;
  std::vector<journal::StoredItem> Items() const;

  void Apply(const journal::Entry& entry);
  // Replaces the item with the same entry id in place, or appends it.
  void Put(journal::StoredItem item);
  bool Remove(std::wstring_view entryId);
  // Forgets every item; positions and the latest time keep growing.
  void Clear();

  // Size of a journal that holds exactly these items.
  std::size_t CompactJournalSize() const { return journal::kHeaderSize + liveBytes_; }
  // The latest modification time of any item ever put here, removed or not.
  double LatestTime() const { return latestTime_; }

 private:
  std::map<Position, journal::StoredItem> items_;
  std::unordered_map<std::wstring, Position> positions_;
  Position nextPosition_ = 0;
  std::size_t liveBytes_ = 0;
  double latestTime_ = 0;
};

}  // namespace outlook_standin
