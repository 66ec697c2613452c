#include "import_picker.h"

#include "drive_folders.h"
#include "resource.h"

namespace quillmere {

ImportPickerDialog::ImportPickerDialog() : PickerDialog(IDD_IMPORT_PICKER) {}

bool ImportPickerDialog::OnInitDialog() {
  InitPicker(IDS_SELECT_IMPORT_FILE);
  FillFileList();
  return true;
}

bool ImportPickerDialog::OnCommand(int id, int code) {
  if (id == IDC_FILE && code == LBN_SELCHANGE) {
    OnFileSelected();
    return true;
  }
  if (id == IDC_DRIVE && code == CBN_SELCHANGE) {
    OnDriveChanged();
    return true;
  }
  return false;
}

void ImportPickerDialog::FillFileList() const {
  const auto folder = ChosenDriveFolder();
  if (!folder) return;
  for (const std::wstring& name : ContactFileNames(*folder)) {
    SendMessageW(Item(IDC_FILE), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
}

// Once a file has been selected, OK stays enabled while the picker is open.
void ImportPickerDialog::OnFileSelected() const { EnableItem(IDOK, true); }

void ImportPickerDialog::OnDriveChanged() const {
  SendMessageW(Item(IDC_FILE), LB_RESETCONTENT, 0, 0);
  FillFileList();
}

void ImportPickerDialog::OnOK() {
  const auto folder = ChosenDriveFolder();
  if (!folder) return;
  const HWND files = Item(IDC_FILE);
  const auto selected = SendMessageW(files, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return;
  const auto length = SendMessageW(files, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
  if (length == LB_ERR) return;
  std::wstring name(static_cast<std::size_t>(length) + 1, L'\0');
  name.resize(static_cast<std::size_t>(
      SendMessageW(files, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(name.data()))));
  resultPath = *folder + name;
  End(IDOK);
}

}  // namespace quillmere
