// The main window's list of contacts: a report-view list control with a check
// box per row, one row per contact, and a zero-width last column that holds
// the contact's EntryID, the row's only link to its contact.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace quillmere {

class ContactListView {
 public:
  explicit ContactListView(HWND list) : list_(list) {}

  // Deletes every row, then every column.
  void Clear() const;
  // Inserts the columns, in this order: the three visible ones and the
  // hidden EntryID column; turns the check boxes on (and every other
  // extended style off).
  void AddColumns(const std::wstring& last_name, const std::wstring& first_name, const std::wstring& company) const;
  void DeleteRows() const;
  // Appends a row: last name as the row's own text, then the other cells.
  void AddRow(const std::wstring& last_name, const std::wstring& first_name, const std::wstring& company,
              const std::wstring& entry_id) const;

  int RowCount() const;
  std::wstring CellText(int row, int column) const;
  bool IsChecked(int row) const;
  void SetChecked(int row, bool checked) const;
  bool AnyRowChecked() const;
  // Whether a checked row carries `entry_id`, exactly and case-sensitively;
  // the rows are looked at from the last to the first.
  bool IsEntryChecked(std::wstring_view entry_id) const;

  static constexpr int kEntryIdColumn = 3;

 private:
  HWND list_;
};

}  // namespace quillmere
