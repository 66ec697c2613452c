// What the export and import pickers share: their title and button texts,
// the list of drive folders, and the folder the user has chosen in it.
#pragma once

#include <optional>
#include <string>

#include "dialog.h"

namespace quillmere {

class PickerDialog : public Dialog {
 protected:
  using Dialog::Dialog;

  // Sets the title (text `title_offset`) and the OK and Cancel texts, and
  // fills the drive list.
  void InitPicker(int title_offset) const;
  // The drive list's current text when it is one of its entries; nothing
  // when no drive folder is selected (there may be no usable drive at all).
  std::optional<std::wstring> ChosenDriveFolder() const;
};

}  // namespace quillmere
