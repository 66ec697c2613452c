// Puts Quillmere's real windows on the screen one at a time, for
// tools/screenshots.sh: the main window in English and in German, and both
// pickers, over the sample address book served by the in-process Outlook
// stand-in. For each window it prints "shot NAME LEFT TOP WIDTH HEIGHT" and
// waits for a line on its standard input (the script's "taken") before it
// moves on. Not a test: nothing is checked.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "export_picker.h"
#include "file_commands.h"
#include "import_picker.h"
#include "language.h"
#include "main_dialog.h"
#include "outlook_standin.h"
#include "resource.h"
#include "settle_for_screenshot.h"

namespace {

using namespace quillmere;

void Shoot(const char* name, const Dialog& dialog) {
  SetWindowPos(dialog.Window(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  test_support::SettleForScreenshot();
  RECT frame;
  GetWindowRect(dialog.Window(), &frame);
  std::printf("shot %s %ld %ld %ld %ld\n", name, frame.left, frame.top, frame.right - frame.left,
              frame.bottom - frame.top);
  std::fflush(stdout);
  std::string taken;
  std::getline(std::cin, taken);
}

void ShootMainWindow(const char* name, int language_base) {
  UseLanguage(language_base);
  MainDialog window;
  window.CreateModeless(nullptr);
  const ContactListView list(window.Item(IDC_CONTACT_LIST));
  list.SetChecked(1, true);
  list.SetChecked(3, true);
  Shoot(name, window);
}

}  // namespace

int wmain() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  outlook_standin::UseStoreFile(std::filesystem::path(temp) / L"quillmere-screenshots.olstore");
  outlook_standin::SeedFolder(outlook_standin::SampleAddressBook());
  {
    const outlook_standin::InProcessServer server;
    std::filesystem::create_directories(L"C:\\ContactDB");
    for (const wchar_t* name : {L"C:\\ContactDB\\contacts.fs", L"C:\\ContactDB\\backup 2024.fs"}) {
      QuillmereSession session;
      ExportContactsToFile(session, name, [](std::wstring_view) { return true; });
    }

    ShootMainWindow("main-window-english", 0);
    ShootMainWindow("main-window-german", 4000);

    UseLanguage(0);
    ExportPickerDialog export_picker;
    export_picker.CreateModeless(nullptr);
    SetDlgItemTextW(export_picker.Window(), IDC_FILE, L"contacts");
    Shoot("export-picker", export_picker);

    ImportPickerDialog import_picker;
    import_picker.CreateModeless(nullptr);
    SendMessageW(import_picker.Item(IDC_FILE), LB_SETCURSEL, 1, 0);
    SendMessageW(import_picker.Window(), WM_COMMAND, MAKEWPARAM(IDC_FILE, LBN_SELCHANGE), 0);
    Shoot("import-picker", import_picker);
  }
  CoUninitialize();
  return 0;
}
