#include "export_picker.h"

#include "resource.h"

namespace quillmere {

ExportPickerDialog::ExportPickerDialog() : PickerDialog(IDD_EXPORT_PICKER) {}

bool ExportPickerDialog::IsAcceptableName(const std::wstring& name) {
  return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos;
}

bool ExportPickerDialog::OnInitDialog() {
  InitPicker(IDS_SELECT_EXPORT_FILE);
  return true;
}

bool ExportPickerDialog::OnCommand(int id, int code) {
  if (id != IDC_FILE || code != EN_CHANGE) return false;
  OnNameChanged();
  return true;
}

void ExportPickerDialog::OnNameChanged() const { EnableItem(IDOK, IsAcceptableName(ItemText(IDC_FILE))); }

void ExportPickerDialog::OnOK() {
  // The Enter key reaches here even while OK is disabled.
  const std::wstring name = ItemText(IDC_FILE);
  if (!IsAcceptableName(name)) return;
  const auto folder = ChosenDriveFolder();
  if (!folder) return;
  driveFolder = *folder;
  // Appended whatever the name already ends with: "a.fs" becomes "a.fs.fs".
  resultPath = driveFolder + name + L".fs";
  End(IDOK);
}

}  // namespace quillmere
