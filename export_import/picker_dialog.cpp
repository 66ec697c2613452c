#include "picker_dialog.h"

#include "drive_folders.h"
#include "language.h"
#include "resource.h"

namespace quillmere {

void PickerDialog::InitPicker(int title_offset) const {
  SetTitle(LoadText(title_offset));
  SetItemText(IDOK, LoadText(IDS_OK));
  SetItemText(IDCANCEL, LoadText(IDS_CANCEL));
  FillDriveList(Item(IDC_DRIVE));
}

std::optional<std::wstring> PickerDialog::ChosenDriveFolder() const {
  std::wstring folder = ItemText(IDC_DRIVE);
  if (SendMessageW(Item(IDC_DRIVE), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(folder.c_str())) == CB_ERR) {
    return std::nullopt;
  }
  return folder;
}

}  // namespace quillmere
