// Start-up of the windowed program: the language, the single-instance rule,
// OLE for the user-interface thread, and the main window run modally. The
// program ends when the main window closes.
#pragma once

namespace quillmere {

class QuillmereApp {
 public:
  // Runs the program; answers false, as there is no message loop to enter
  // once the main window has closed.
  bool InitInstance();
};

}  // namespace quillmere
