#include "quillmere_app.h"

#include <windows.h>
#include <commctrl.h>

#include "language.h"
#include "main_dialog.h"
#include "ole_apartment.h"
#include "single_instance.h"

namespace quillmere {

bool QuillmereApp::InitInstance() {
  UseLanguage(ReadLanguageBase());
  const auto marker = TakeInstanceMarker(ProductName());
  if (!marker) return false;
  const OleApartment ole;
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  MainDialog main_window;
  main_window.RunModal(nullptr);
  return false;
}

}  // namespace quillmere
