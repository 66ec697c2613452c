// The user's choice of contacts to synchronise, shared by every store in the
// process and never persisted: each load of the library starts with all
// contacts. Only the options dialog writes it, IsItemReplicated reads it; both
// do so holding g_SelectionMutex, since the dialog and a synchronisation run
// on different threads.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// false: every contact takes part ("Sync All"); true: only those named in
// g_SelectedEntryIDs ("Sync Selected").
extern bool g_SyncSelected;
// EntryIDs of the checked contacts, in the system's 8-bit code page. Order
// carries no meaning.
extern std::vector<std::string> g_SelectedEntryIDs;
extern std::mutex g_SelectionMutex;

namespace pelloquin {

enum class Selection {
  AllContacts,  // "Sync All": every contact takes part
  Selected,     // the EntryID equals a selected entry byte for byte
  NotSelected,
};

// Where a contact with this 8-bit EntryID stands in the user's choice.
Selection SelectionOf(std::string_view entry_id);

}  // namespace pelloquin
