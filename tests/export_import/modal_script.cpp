#include "modal_script.h"

#include "dialog.h"
#include "resource.h"

namespace quillmere::testing {

namespace {

ModalScript* active_script = nullptr;

bool IsDialog(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return std::wstring(name) == L"#32770";
}

void Press(HWND dialog, int button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

}  // namespace

ModalScript::ModalScript(std::vector<Step> steps)
    : steps_(std::move(steps)), hook_(SetWindowsHookExW(WH_CBT, OnCbt, nullptr, GetCurrentThreadId())) {
  active_script = this;
}

ModalScript::~ModalScript() {
  UnhookWindowsHookEx(hook_);
  active_script = nullptr;
}

LRESULT CALLBACK ModalScript::OnCbt(int code, WPARAM wparam, LPARAM lparam) {
  ModalScript* script = active_script;
  const auto window = reinterpret_cast<HWND>(wparam);
  if (code == HCBT_ACTIVATE && script != nullptr && !script->Finished() && IsDialog(window) &&
      GetWindow(window, GW_OWNER) != nullptr && script->seen_.insert(window).second) {
    script->steps_[script->next_++](window);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

ModalScript::Step TypeExportName(std::wstring name) {
  return [name](HWND dialog) {
    SetDlgItemTextW(dialog, IDC_FILE, name.c_str());
    Press(dialog, IDOK);
  };
}

ModalScript::Step ChooseImportFile(std::wstring name) {
  return [name](HWND dialog) {
    const HWND files = GetDlgItem(dialog, IDC_FILE);
    const auto index = SendMessageW(files, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(files, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILE, LBN_SELCHANGE), reinterpret_cast<LPARAM>(files));
    Press(dialog, IDOK);
  };
}

ModalScript::Step PressCancel() {
  return [](HWND dialog) { Press(dialog, IDCANCEL); };
}

ModalScript::Step AcceptMessageBox(MessageBoxSeen& seen) {
  return [&seen](HWND dialog) {
    seen.caption = WindowText(dialog);
    // The message box's text is its static control 0xFFFF.
    seen.text = WindowText(GetDlgItem(dialog, 0xFFFF));
    Press(dialog, IDOK);
  };
}

}  // namespace quillmere::testing
