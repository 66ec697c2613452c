// Puts the Sync Options dialog on the screen for tools/screenshot-sync-options.sh:
// "Sync Selected" chosen over the stand-in's sample address book, with two
// contacts checked. It prints "shot NAME LEFT TOP WIDTH HEIGHT" and waits for
// a line on its standard input (the script's "taken") before it closes the
// dialog. Not a test: nothing is checked.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

#include "module_state.h"
#include "options_dialog.h"
#include "outlook_standin.h"
#include "pelloquin_resource.h"
#include "settle_for_screenshot.h"

int wmain() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  g_hInstance = GetModuleHandleW(nullptr);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  outlook_standin::UseStoreFile(std::filesystem::path(temp) / L"pelloquin-screenshot.olstore");
  outlook_standin::SeedFolder(outlook_standin::SampleAddressBook());
  {
    const outlook_standin::InProcessServer server;
    const HWND dialog = CreateDialogParamW(g_hInstance, pelloquin::kOptionsDialogName, nullptr,
                                           pelloquin::OptionsDlgProc, 0);
    CheckRadioButton(dialog, IDC_SYNC_ALL, IDC_SYNC_SELECTED, IDC_SYNC_SELECTED);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SYNC_SELECTED, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SYNC_SELECTED)));
    const HWND list = GetDlgItem(dialog, IDC_OPTION_LIST);
    ListView_SetCheckState(list, 1, TRUE);
    ListView_SetCheckState(list, 4, TRUE);
    SetWindowPos(dialog, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    test_support::SettleForScreenshot();
    RECT frame;
    GetWindowRect(dialog, &frame);
    std::printf("shot sync-options %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
                frame.bottom - frame.top);
    std::fflush(stdout);
    std::string taken;
    std::getline(std::cin, taken);
    DestroyWindow(dialog);
  }
  CoUninitialize();
  return 0;
}
