// OK in the options dialog: what the dialog shows becomes the selection that
// IsItemReplicated reads.
#include <windows.h>
#include <commctrl.h>

#include <mutex>
#include <string>
#include <vector>

#include "ansi_text.h"
#include "options_dialog.h"
#include "pelloquin_resource.h"
#include "sync_selection.h"

namespace pelloquin {

namespace {


std::wstring CellText(HWND list, int row, int column) {
  // The list answers how much it copied; a full buffer may mean more.
  std::wstring text(64, L'\0');
  for (;;) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text.data();
    cell.cchTextMax = static_cast<int>(text.size());
    const auto copied = static_cast<std::size_t>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell)));
    if (copied + 1 < text.size()) {
      text.resize(copied);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

// EntryIDs of the checked rows, from the last row to the first.
std::vector<std::string> CheckedEntryIds(HWND list) {
  std::vector<std::string> entry_ids;
  for (int row = ListView_GetItemCount(list); row-- > 0;) {
    if (ListView_GetCheckState(list, row)) entry_ids.push_back(ToAnsi(CellText(list, row, kEntryIdColumn)));
  }
  return entry_ids;
}

}  // namespace

void SaveSyncSelection(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_SYNC_SELECTED) != BST_CHECKED) {
    const std::scoped_lock lock(g_SelectionMutex);
    // The list itself is forgotten when the dialog next opens with "Sync All".
    g_SyncSelected = false;
    return;
  }
  // Built in full before the lock is taken, so that a synchronisation sees the
  // old selection or the new one, never part of it.
  std::vector<std::string> checked = CheckedEntryIds(GetDlgItem(dialog, IDC_OPTION_LIST));
  const std::scoped_lock lock(g_SelectionMutex);
  g_SelectedEntryIDs = std::move(checked);
  g_SyncSelected = true;
}

}  // namespace pelloquin
