// Puts Quillmere's real windows on the screen one at a time, for
// tools/screenshots.sh: in English and in German, the main window, both
// pickers and the four message boxes that tell how an export or an import
// went, over the sample address book served by the in-process Outlook
// stand-in. The message boxes come from pressing the main window's buttons,
// with a script playing the user in the picker. For each window it prints
// "shot NAME LEFT TOP WIDTH HEIGHT" and waits for a line on its standard input
// (the script's "taken") before it moves on. Not a test: nothing is checked.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
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
#include "modal_script.h"
#include "outlook_standin.h"
#include "resource.h"
#include "settle_for_screenshot.h"

namespace {

using namespace quillmere;

using testing::ModalScript;

void ShootWindow(const std::string& name, HWND window) {
  test_support::SettleForScreenshot();
  RECT frame;
  GetWindowRect(window, &frame);
  std::printf("shot %s %ld %ld %ld %ld\n", name.c_str(), frame.left, frame.top, frame.right - frame.left,
              frame.bottom - frame.top);
  std::fflush(stdout);
  std::string taken;
  std::getline(std::cin, taken);
}

void Shoot(const std::string& name, const Dialog& dialog) {
  SetWindowPos(dialog.Window(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  ShootWindow(name, dialog.Window());
}

// A message box is activated before it is first painted: it is shot from a
// timer that its own modal loop runs, then closed with OK.
std::string message_box_name;

void CALLBACK ShootMessageBoxNow(HWND box, UINT, UINT_PTR timer, DWORD) {
  KillTimer(box, timer);
  ShootWindow(message_box_name, box);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

ModalScript::Step ShootMessageBox(std::string name) {
  return [name](HWND box) {
    message_box_name = name;
    SetTimer(box, 1, 50, ShootMessageBoxNow);
  };
}

void Click(const Dialog& dialog, int button) {
  SendMessageW(dialog.Window(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(dialog.Item(button)));
}

// Every window of Quillmere in one language; `suffix` ends each shot's name.
// The main window shows the top of the list, or with `show_cjk` the part
// where the Chinese and Japanese names are.
void ShootLanguage(const std::string& suffix, int language_base, bool show_cjk) {
  UseLanguage(language_base);
  MainDialog window;
  window.CreateModeless(nullptr);
  const ContactListView list(window.Item(IDC_CONTACT_LIST));
  list.SetChecked(1, true);
  list.SetChecked(3, true);
  if (show_cjk) {
    const auto ideographic = [](wchar_t c) { return c >= 0x2E80; };  // CJK, and surrogates
    int first = 0;
    while (first < list.RowCount() && std::ranges::none_of(list.CellText(first, 0), ideographic)) ++first;
    const HWND view = window.Item(IDC_CONTACT_LIST);
    ListView_EnsureVisible(view, std::min(first + ListView_GetCountPerPage(view) - 3, list.RowCount() - 1), FALSE);
  }
  Shoot("main-window-" + suffix, window);

  {
    ExportPickerDialog export_picker;
    export_picker.CreateModeless(nullptr);
    SetDlgItemTextW(export_picker.Window(), IDC_FILE, L"contacts");
    Shoot("export-picker-" + suffix, export_picker);

    ImportPickerDialog import_picker;
    import_picker.CreateModeless(nullptr);
    SendMessageW(import_picker.Item(IDC_FILE), LB_SETCURSEL, 1, 0);
    SendMessageW(import_picker.Window(), WM_COMMAND, MAKEWPARAM(IDC_FILE, LBN_SELCHANGE), 0);
    Shoot("import-picker-" + suffix, import_picker);
  }

  // An export fails where a folder holds the file's name; an import fails on
  // a file that is not a contact file.
  std::filesystem::create_directories(L"C:\\ContactDB\\taken.fs");
  std::FILE* damaged = _wfopen(L"C:\\ContactDB\\damaged.fs", L"wb");
  std::fputs("not a contact file", damaged);
  std::fclose(damaged);
  const ModalScript script({testing::TypeExportName(L"contacts"), ShootMessageBox("export-done-" + suffix),
                            testing::TypeExportName(L"taken"), ShootMessageBox("export-failed-" + suffix),
                            testing::ChooseImportFile(L"contacts.fs"), ShootMessageBox("import-done-" + suffix),
                            testing::ChooseImportFile(L"damaged.fs"), ShootMessageBox("import-failed-" + suffix)});
  Click(window, IDC_EXPORT);
  Click(window, IDC_EXPORT);
  Click(window, IDC_IMPORT);
  Click(window, IDC_IMPORT);
  std::filesystem::remove(L"C:\\ContactDB\\taken.fs");
  std::filesystem::remove(L"C:\\ContactDB\\damaged.fs");
  if (!script.Finished()) std::fprintf(stderr, "not every message box was shown\n");
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

    ShootLanguage("english", 0, false);
    ShootLanguage("german", 4000, true);
  }
  CoUninitialize();
  return 0;
}
