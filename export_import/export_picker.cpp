#include "export_picker.h"

#include <string_view>

#include "resource.h"

namespace quillmere {

namespace {

// The part of a name Windows compares with its device names: up to the first
// dot, trailing spaces dropped, ASCII letters in upper case.
std::wstring DeviceStem(std::wstring_view name) {
  std::wstring stem(name.substr(0, name.find(L'.')));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& unit : stem) {
    if (unit >= L'a' && unit <= L'z') unit = static_cast<wchar_t>(unit - L'a' + L'A');
  }
  return stem;
}

bool IsReservedDeviceName(std::wstring_view name) {
  const std::wstring stem = DeviceStem(name);
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
  if (stem.size() != 4 || (!stem.starts_with(L"COM") && !stem.starts_with(L"LPT"))) return false;
  const wchar_t number = stem[3];
  return (number >= L'0' && number <= L'9') || number == L'\u00B9' || number == L'\u00B2' || number == L'\u00B3';
}

}  // namespace

ExportPickerDialog::ExportPickerDialog() : PickerDialog(IDD_EXPORT_PICKER) {}

bool ExportPickerDialog::IsAcceptableName(const std::wstring& name) {
  return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && !IsReservedDeviceName(name);
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
