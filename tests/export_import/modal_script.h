// Plays the user in the modal dialogs and message boxes a click opens, on the
// test's own thread and without sleeping: a CBT hook sees each dialog as it
// is activated inside the modal loop and hands it to the next step, which
// answers it with messages that the modal loop then processes.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quillmere::testing {

class ModalScript {
 public:
  using Step = std::function<void(HWND dialog)>;

  explicit ModalScript(std::vector<Step> steps);
  ~ModalScript();
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  // Whether every step has had its dialog.
  bool Finished() const { return next_ == steps_.size(); }

 private:
  static LRESULT CALLBACK OnCbt(int code, WPARAM wparam, LPARAM lparam);

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  std::set<HWND> seen_;
  HHOOK hook_;
};

// What a message box showed.
struct MessageBoxSeen {
  std::wstring caption;
  std::wstring text;
};

// Steps: type `name` into the export picker and press OK; select `name` in
// the import picker's file list and press OK; press a picker's Cancel; note
// a message box and press its OK.
ModalScript::Step TypeExportName(std::wstring name);
ModalScript::Step ChooseImportFile(std::wstring name);
ModalScript::Step PressCancel();
ModalScript::Step AcceptMessageBox(MessageBoxSeen& seen);

}  // namespace quillmere::testing
