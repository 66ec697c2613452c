#include "options_dialog.h"

#include <commctrl.h>

#include <mutex>

#include "module_state.h"
#include "pelloquin_resource.h"
#include "sync_selection.h"

namespace pelloquin {

namespace {

// Whether the dialog opens with "Sync Selected". Opening with "Sync All"
// forgets the contacts checked before.
bool OpensWithSelection() {
  const std::scoped_lock lock(g_SelectionMutex);
  if (!g_SyncSelected) g_SelectedEntryIDs.clear();
  return g_SyncSelected;
}

void OnInitDialog(HWND dialog) {
  const bool selected = OpensWithSelection();
  CheckRadioButton(dialog, IDC_SYNC_ALL, IDC_SYNC_SELECTED, selected ? IDC_SYNC_SELECTED : IDC_SYNC_ALL);
  if (selected) FillOptionsList(dialog);
}

void OnCommand(HWND dialog, int control) {
  switch (control) {
    case IDOK:
      SaveSyncSelection(dialog);
      EndDialog(dialog, IDOK);
      break;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      break;
    case IDC_SYNC_ALL:
      ClearOptionsList(dialog);
      break;
    case IDC_SYNC_SELECTED:
      FillOptionsList(dialog);
      break;
    default:
      break;
  }
}

}  // namespace

void RunOptionsDialog(HWND parent) {
  // The host may never have registered the list view's window class.
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  DialogBoxParamW(g_hInstance, kOptionsDialogName, parent, OptionsDlgProc, 0);
}

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  // Nothing may unwind through the dialog manager. A failure at OK keeps the
  // dialog open with the selection unchanged, so the user can try again or
  // cancel.
  try {
    switch (message) {
      case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;  // the dialog manager sets the focus
      case WM_COMMAND:
        // The control alone decides; the notification code is not examined.
        OnCommand(dialog, LOWORD(wparam));
        return FALSE;
      default:
        return FALSE;
    }
  } catch (...) {
    return message == WM_INITDIALOG;
  }
}

}  // namespace pelloquin
