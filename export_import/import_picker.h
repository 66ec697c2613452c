// The import picker: the user picks a drive folder and one of the ".fs" files
// listed in it; the picker answers the full path.
#pragma once

#include <string>

#include "picker_dialog.h"

namespace quillmere {

class ImportPickerDialog : public PickerDialog {
 public:
  ImportPickerDialog();

  // Set when the picker ends with OK.
  const std::wstring& ResultPath() const { return resultPath; }

 private:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  void OnOK() override;
  void OnFileSelected() const;
  void OnDriveChanged() const;
  // Lists the ".fs" files of the selected drive folder.
  void FillFileList() const;

  std::wstring resultPath;
};

}  // namespace quillmere
