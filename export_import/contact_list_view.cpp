#include "contact_list_view.h"

#include <commctrl.h>

namespace quillmere {

namespace {

struct Column {
  const std::wstring* header;
  int width;  // pixels at 96 DPI
};

// Quillmere's manifest declares it aware of the system DPI, so Windows no
// longer stretches its windows: the dialog grows with its font, and widths
// in pixels must grow with the display's pixels per inch as well.
int ScaledToDisplay(HWND window, int width_at_96_dpi) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return width_at_96_dpi;
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(window, dc);
  return MulDiv(width_at_96_dpi, dpi, 96);
}

}  // namespace

void ContactListView::Clear() const {
  DeleteRows();
  while (ListView_DeleteColumn(list_, 0)) {
  }
}

void ContactListView::AddColumns(const std::wstring& last_name, const std::wstring& first_name,
                                 const std::wstring& company) const {
  static const std::wstring entry_id_header = L"EntryID";
  const Column columns[] = {{&last_name, 90}, {&first_name, 90}, {&company, 100}, {&entry_id_header, 0}};
  int index = 0;
  for (const Column& column : columns) {
    LVCOLUMNW description{};
    description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    description.fmt = LVCFMT_LEFT;
    description.cx = ScaledToDisplay(list_, column.width);
    description.pszText = const_cast<wchar_t*>(column.header->c_str());
    description.iSubItem = index;
    ListView_InsertColumn(list_, index, &description);
    ++index;
  }
  ListView_SetExtendedListViewStyleEx(list_, ~0u, LVS_EX_CHECKBOXES);
}

void ContactListView::DeleteRows() const { ListView_DeleteAllItems(list_); }

void ContactListView::AddRow(const std::wstring& last_name, const std::wstring& first_name,
                             const std::wstring& company, const std::wstring& entry_id) const {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = RowCount();
  item.pszText = const_cast<wchar_t*>(last_name.c_str());
  const int row = ListView_InsertItem(list_, &item);
  if (row < 0) return;
  ListView_SetItemText(list_, row, 1, const_cast<wchar_t*>(first_name.c_str()));
  ListView_SetItemText(list_, row, 2, const_cast<wchar_t*>(company.c_str()));
  ListView_SetItemText(list_, row, kEntryIdColumn, const_cast<wchar_t*>(entry_id.c_str()));
}

int ContactListView::RowCount() const { return ListView_GetItemCount(list_); }

std::wstring ContactListView::CellText(int row, int column) const {
  // The control answers how many characters it copied; a full buffer may
  // mean a longer text, so grow it until the text fits.
  std::wstring text(64, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto copied = static_cast<std::size_t>(
        SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (copied + 1 < text.size()) {
      text.resize(copied);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

bool ContactListView::IsChecked(int row) const { return ListView_GetCheckState(list_, row) != FALSE; }

void ContactListView::SetChecked(int row, bool checked) const {
  ListView_SetCheckState(list_, row, checked ? TRUE : FALSE);
}

bool ContactListView::AnyRowChecked() const {
  const int rows = RowCount();
  for (int row = 0; row < rows; ++row) {
    if (IsChecked(row)) return true;
  }
  return false;
}

bool ContactListView::IsEntryChecked(std::wstring_view entry_id) const {
  for (int row = RowCount() - 1; row >= 0; --row) {
    if (IsChecked(row) && CellText(row, kEntryIdColumn) == entry_id) return true;
  }
  return false;
}

}  // namespace quillmere
