// The options dialog's list of Outlook contacts: filled when "Sync Selected"
// is chosen, emptied when "Sync All" is.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "ansi_text.h"
#include "com_support.h"
#include "contact_mapping.h"
#include "options_dialog.h"
#include "outlook_session.h"
#include "pelloquin_resource.h"
#include "sync_selection.h"

namespace pelloquin {

namespace {

using contact_core::FieldId;

struct Column {
  const wchar_t* header;
  int width;  // pixels
};

// The EntryID column (kEntryIdColumn) is one pixel wide: the row carries the text, unread by
// the user, for OK to find the checked contacts by.
constexpr std::array<Column, 4> kColumns{{
    {L"LastName", 80},
    {L"FirstName", 80},
    {L"Company", 100},
    {L"EntryID", 1},
}};

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_OPTION_LIST); }

void EmptyList(HWND list) {
  ListView_DeleteAllItems(list);
  while (ListView_DeleteColumn(list, 0)) {
  }
}

void AddColumns(HWND list) {
  for (int index = 0; index < static_cast<int>(kColumns.size()); ++index) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[index].width;
    column.pszText = const_cast<wchar_t*>(kColumns[index].header);
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
  }
}

std::vector<std::string> SelectedEntryIds() {
  const std::scoped_lock lock(g_SelectionMutex);
  return g_SelectedEntryIDs;
}

// The property as Outlook's UTF-16 text; an absent one shows empty. Names
// are shown as they are rather than through the 8-bit code page, which would
// turn every letter outside it into a question mark.
_bstr_t CellText(IDispatch* contact, FieldId property) {
  const _bstr_t text = contact_core::ReadContactProperty(contact, property);
  return static_cast<const wchar_t*>(text) != nullptr ? text : _bstr_t(L"");
}

void SetCell(HWND list, int row, int column, const _bstr_t& text) {
  ListView_SetItemText(list, row, column, const_cast<wchar_t*>(static_cast<const wchar_t*>(text)));
}

// One row per contact, in folder order; items that are not contacts get
// none. Raises _com_error when Outlook fails; the rows added stay.
void AddContactRows(HWND list) {
  const std::vector<std::string> selected = SelectedEntryIds();
  contact_core::OutlookSession outlook;
  outlook.OpenContacts();
  for (IDispatchPtr contact = outlook.FirstContact(); contact; contact = outlook.NextContact()) {
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.iItem = ListView_GetItemCount(list);
    const _bstr_t last_name = CellText(contact, FieldId::LastName);
    row.pszText = const_cast<wchar_t*>(static_cast<const wchar_t*>(last_name));
    row.iItem = ListView_InsertItem(list, &row);
    if (row.iItem < 0) return;
    SetCell(list, row.iItem, 1, CellText(contact, FieldId::FirstName));
    SetCell(list, row.iItem, 2, CellText(contact, FieldId::CompanyName));
    const _bstr_t entry_id = CellText(contact, FieldId::EntryID);
    SetCell(list, row.iItem, kEntryIdColumn, entry_id);
    const std::string entry_id_ansi = ToAnsi(std::wstring_view(static_cast<const wchar_t*>(entry_id), entry_id.length()));
    if (std::find(selected.rbegin(), selected.rend(), entry_id_ansi) != selected.rend()) {
      ListView_SetCheckState(list, row.iItem, TRUE);
    }
  }
}

}  // namespace

void FillOptionsList(HWND dialog) {
  const HWND list = ListOf(dialog);
  EmptyList(list);
  AddColumns(list);
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES);
  EnableWindow(list, TRUE);
  try {
    AddContactRows(list);
  } catch (const _com_error&) {
    // Outlook missing or failing: the list shows what was read, silently.
  } catch (const std::exception&) {
  }
}

void ClearOptionsList(HWND dialog) {
  const HWND list = ListOf(dialog);
  EmptyList(list);
  EnableWindow(list, FALSE);
}

}  // namespace pelloquin
