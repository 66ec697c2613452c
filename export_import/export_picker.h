// The export picker: the user picks a drive folder and types a file name;
// the picker answers the folder and the full path, ".fs" appended.
#pragma once

#include <string>

#include "picker_dialog.h"

namespace quillmere {

class ExportPickerDialog : public PickerDialog {
 public:
  ExportPickerDialog();

  // Set when the picker ends with OK.
  const std::wstring& ResultPath() const { return resultPath; }
  const std::wstring& DriveFolder() const { return driveFolder; }

  // Whether a typed name can be accepted: not empty, and nothing that would
  // lead out of the drive folder: a backslash, a slash or a colon, or a
  // reserved device name (NUL, CON, COM1, ...), which Windows takes for the
  // device whatever extension follows it.
  static bool IsAcceptableName(const std::wstring& name);

 private:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;
  void OnOK() override;
  void OnNameChanged() const;

  std::wstring resultPath;
  std::wstring driveFolder;
};

}  // namespace quillmere
