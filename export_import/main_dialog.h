// The main window: two export modes by radio button ("Export all", "Selected
// only"), Outlook's contacts as a checkable list in "Selected only" mode, and
// the Export, Import and Exit buttons. It owns the program's Outlook session
// for its whole life. Closing it ends the program.
#pragma once

#include <string>
#include <string_view>

#include "contact_list_view.h"
#include "dialog.h"
#include "quillmere_session.h"

namespace quillmere {

class MainDialog : public Dialog {
 public:
  MainDialog();
  ~MainDialog() override;

  // Rebuilds the list from Outlook, no row checked, and enters "Selected
  // only" mode; Export is disabled, as no row is checked. When Outlook
  // cannot be reached, or fails while the list is filled, the list stays
  // empty: a part of the folder would pass for all of it.
  void FillContactList();
  // Whether the export writes the contact with this EntryID: every contact
  // in "Export all" mode; in "Selected only" mode those whose row is checked.
  bool IsContactChosen(std::wstring_view entry_id) const;

  bool SelectedOnly() const { return selectedOnly; }
  const std::wstring& ExportPath() const { return exportPath; }
  const std::wstring& ImportPath() const { return importPath; }

 private:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& answer) override;

  void OnExport();
  void OnImport();
  void OnExportAll();
  void OnContactItemChanged() const;
  void ClearContactList() const;
  void AddContactRow(IDispatchPtr contact) const;
  void OnPaintMinimised() const;
  void ShowResult(const std::wstring& text) const;
  ContactListView ContactList() const;

  QuillmereSession session;
  std::wstring lastNameLabel;
  std::wstring firstNameLabel;
  std::wstring companyLabel;
  std::wstring exportPath;
  bool selectedOnly = false;
  std::wstring importPath;
  HICON icon;
  HICON smallIcon;
};

}  // namespace quillmere
