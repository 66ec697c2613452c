#include "sync_selection.h"

#include <algorithm>

bool g_SyncSelected = false;
std::vector<std::string> g_SelectedEntryIDs;
std::mutex g_SelectionMutex;

namespace pelloquin {

Selection SelectionOf(std::string_view entry_id) {
  const std::scoped_lock lock(g_SelectionMutex);
  if (!g_SyncSelected) return Selection::AllContacts;
  const bool listed =
      std::find(g_SelectedEntryIDs.rbegin(), g_SelectedEntryIDs.rend(), entry_id) != g_SelectedEntryIDs.rend();
  return listed ? Selection::Selected : Selection::NotSelected;
}

}  // namespace pelloquin
