#include "quillmere_app.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "language.h"
#include "main_dialog.h"
#include "single_instance.h"

namespace quillmere {

namespace {

class OleForThisThread {
 public:
  // Its outcome does not matter here: without COM, Outlook simply cannot be
  // reached, which every command reports.
  OleForThisThread() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleForThisThread() {
    if (initialised_) OleUninitialize();
  }
  OleForThisThread(const OleForThisThread&) = delete;
  OleForThisThread& operator=(const OleForThisThread&) = delete;

 private:
  bool initialised_;
};

}  // namespace

bool QuillmereApp::InitInstance() {
  UseLanguage(ReadLanguageBase());
  const auto marker = TakeInstanceMarker(ProductName());
  if (!marker) return false;
  const OleForThisThread ole;
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  MainDialog main_window;
  main_window.RunModal(nullptr);
  return false;
}

}  // namespace quillmere
