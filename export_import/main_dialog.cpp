#include "main_dialog.h"

#include <commctrl.h>

#include "contact_mapping.h"
#include "export_picker.h"
#include "file_commands.h"
#include "import_picker.h"
#include "language.h"
#include "resource.h"

namespace quillmere {

namespace {

using contact_core::FieldId;

std::wstring PropertyText(IDispatch* contact, FieldId field) {
  const _bstr_t text = contact_core::ReadContactProperty(contact, field);
  if (static_cast<const wchar_t*>(text) == nullptr) return {};
  return {static_cast<const wchar_t*>(text), text.length()};
}

HICON LoadAppIcon(int size_metric) {
  const int size = GetSystemMetrics(size_metric);
  return static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
}

}  // namespace

MainDialog::MainDialog()
    : Dialog(IDD_MAIN), icon(LoadAppIcon(SM_CXICON)), smallIcon(LoadAppIcon(SM_CXSMICON)) {}

MainDialog::~MainDialog() {
  if (icon != nullptr) DestroyIcon(icon);
  if (smallIcon != nullptr) DestroyIcon(smallIcon);
}

ContactListView MainDialog::ContactList() const { return ContactListView(Item(IDC_CONTACT_LIST)); }

bool MainDialog::OnInitDialog() {
  SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  // The single-instance rule finds a running copy by this title.
  SetTitle(ProductName());
  SetItemText(IDC_EXPORT, LoadText(IDS_EXPORT));
  SetItemText(IDC_IMPORT, LoadText(IDS_IMPORT));
  SetItemText(IDC_EXIT, LoadText(IDS_EXIT));
  SetItemText(IDC_EXPORT_ALL, LoadText(IDS_EXPORT_ALL));
  SetItemText(IDC_SELECTED_ONLY, LoadText(IDS_SELECTED_ONLY));
  exportPath = L"C:";
  lastNameLabel = LoadText(IDS_LAST_NAME);
  firstNameLabel = LoadText(IDS_FIRST_NAME);
  companyLabel = LoadText(IDS_COMPANY);
  CheckRadioButton(Window(), IDC_EXPORT_ALL, IDC_SELECTED_ONLY, IDC_SELECTED_ONLY);
  FillContactList();
  return true;
}

bool MainDialog::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_EXPORT:
      OnExport();
      return true;
    case IDC_EXPORT_ALL:
      OnExportAll();
      return true;
    case IDC_SELECTED_ONLY:
      FillContactList();
      return true;
    case IDC_IMPORT:
      OnImport();
      return true;
    case IDC_EXIT:
      End(IDOK);
      return true;
    default:
      return false;
  }
}

bool MainDialog::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom != IDC_CONTACT_LIST || header.code != LVN_ITEMCHANGED) return false;
  OnContactItemChanged();
  result = 0;
  return true;
}

bool MainDialog::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& answer) {
  if (message == WM_QUERYDRAGICON) {
    answer = reinterpret_cast<INT_PTR>(icon);
    return true;
  }
  if (message == WM_PAINT && IsIconic(Window())) {
    OnPaintMinimised();
    answer = TRUE;
    return true;
  }
  return false;
}

void MainDialog::OnPaintMinimised() const {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(Window(), &paint);
  SendMessageW(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(Window(), &client);
  const int icon_width = GetSystemMetrics(SM_CXICON);
  const int icon_height = GetSystemMetrics(SM_CYICON);
  DrawIcon(dc, (client.right - client.left - icon_width + 1) / 2, (client.bottom - client.top - icon_height + 1) / 2,
           icon);
  EndPaint(Window(), &paint);
}

void MainDialog::ClearContactList() const { ContactList().Clear(); }

void MainDialog::FillContactList() {
  const ContactListView list = ContactList();
  ClearContactList();
  list.AddColumns(lastNameLabel, firstNameLabel, companyLabel);
  EnableItem(IDC_CONTACT_LIST, true);
  try {
    if (session.OpenFreshContacts()) {
      for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
        AddContactRow(contact);
      }
    }
  } catch (const _com_error&) {
    list.DeleteRows();
  }
  selectedOnly = true;
  // Not every list control reports its new rows as changed items, and an
  // empty list reports nothing: Export follows the rebuilt list here.
  OnContactItemChanged();
}

void MainDialog::AddContactRow(IDispatchPtr contact) const {
  const std::wstring last_name = PropertyText(contact, FieldId::LastName);
  const std::wstring first_name = PropertyText(contact, FieldId::FirstName);
  const std::wstring company = PropertyText(contact, FieldId::CompanyName);
  const std::wstring entry_id = PropertyText(contact, FieldId::EntryID);
  ContactList().AddRow(last_name, first_name, company, entry_id);
}

void MainDialog::OnExportAll() {
  EnableItem(IDC_EXPORT, true);
  ClearContactList();
  EnableItem(IDC_CONTACT_LIST, false);
  selectedOnly = false;
}

void MainDialog::OnContactItemChanged() const { EnableItem(IDC_EXPORT, ContactList().AnyRowChecked()); }

bool MainDialog::IsContactChosen(std::wstring_view entry_id) const {
  if (!selectedOnly) return true;
  if (entry_id.empty()) return false;
  return ContactList().IsEntryChecked(entry_id);
}

void MainDialog::ShowResult(const std::wstring& text) const {
  MessageBoxW(Window(), text.c_str(), ProductName().c_str(), MB_OK);
}

void MainDialog::OnExport() {
  ExportPickerDialog picker;
  if (picker.RunModal(Window()) != IDOK) return;
  // Whether the folder existed or could be made shows when the file is opened.
  CreateDirectoryW(picker.DriveFolder().c_str(), nullptr);
  exportPath = picker.ResultPath();
  const bool exported = static_cast<bool>(
      ExportContactsToFile(session, exportPath, [this](std::wstring_view entry_id) { return IsContactChosen(entry_id); }));
  ShowResult(ExportResultText(exported, exportPath));
}

void MainDialog::OnImport() {
  ImportPickerDialog picker;
  if (picker.RunModal(Window()) != IDOK) return;
  importPath = picker.ResultPath();
  ShowResult(ImportResultText(static_cast<bool>(ImportContactsFromFile(session, importPath))));
  if (selectedOnly) FillContactList();
}

}  // namespace quillmere
