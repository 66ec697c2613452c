// The Sync Options dialog: the user chooses between synchronising every
// contact ("Sync All") and only the contacts checked in a list of Outlook's
// contacts ("Sync Selected"). The choice takes effect at OK, in the
// module-wide selection that IsItemReplicated reads; Cancel changes nothing.
#pragma once

#include <windows.h>

namespace pelloquin {

// The dialog's template in the library's own resources, found by name.
inline constexpr wchar_t kOptionsDialogName[] = L"IDD_Option_Form";
// The list's column that carries each row's EntryID.
inline constexpr int kEntryIdColumn = 3;

// Runs the dialog modally, owned by `parent`, until the user closes it.
void RunOptionsDialog(HWND parent);

INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Rebuilds the list from nothing: its four columns, then one row per Outlook
// contact in folder order, checked when the contact is in the selection.
// Outlook is reached through objects of the list's own, not a store's
// session. An Outlook failure ends the fill quietly with the rows read so far.
void FillOptionsList(HWND dialog);
// Empties the list, columns included, and disables it.
void ClearOptionsList(HWND dialog);
// OK: makes what the dialog shows the selection. Raises std::bad_alloc, with
// the selection left as it was, when memory runs out.
void SaveSyncSelection(HWND dialog);

}  // namespace pelloquin
