#include "dialog_script.h"

#include <gtest/gtest.h>

namespace pelloquin::test {

namespace {

constexpr wchar_t kOwnerClass[] = L"PelloquinDialogScriptOwner";

void RegisterOwnerClass(WNDPROC procedure) {
  WNDCLASSW owner_class{};
  owner_class.lpfnWndProc = procedure;
  owner_class.hInstance = GetModuleHandleW(nullptr);
  owner_class.lpszClassName = kOwnerClass;
  RegisterClassW(&owner_class);  // fails harmlessly once registered
}

}  // namespace

DialogScript::DialogScript(std::vector<Step> steps) : steps_(std::move(steps)) {
  RegisterOwnerClass(OwnerProc);
  owner_ = CreateWindowExW(0, kOwnerClass, L"Owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

DialogScript::~DialogScript() { DestroyWindow(owner_); }

LRESULT CALLBACK DialogScript::OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_ENTERIDLE && wparam == MSGF_DIALOGBOX) {
    if (auto* script = reinterpret_cast<DialogScript*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
      script->OnIdle(reinterpret_cast<HWND>(lparam));
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void DialogScript::OnIdle(HWND dialog) {
  if (next_ < steps_.size()) {
    steps_[next_++](dialog);
    return;
  }
  ADD_FAILURE() << "the dialog is still open after the last step";
  EndDialog(dialog, IDCANCEL);
}

void Click(HWND dialog, int button) { SendMessageW(GetDlgItem(dialog, button), BM_CLICK, 0, 0); }

void Choose(HWND dialog, int first, int last, int chosen) {
  CheckRadioButton(dialog, first, last, chosen);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(chosen, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, chosen)));
}

}  // namespace pelloquin::test
