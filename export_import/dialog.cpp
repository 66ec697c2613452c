#include "dialog.h"

#include <comdef.h>

#include <exception>
#include <string>

#include "language.h"

namespace quillmere {

namespace {

void ShowUnexpectedError(HWND window, const std::wstring& text) {
  MessageBoxW(window, text.c_str(), ProductName().c_str(), MB_OK | MB_ICONERROR);
}

std::wstring FromAnsi(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.pop_back();
  return wide;
}

}  // namespace

Dialog::~Dialog() {
  if (!modal_ && window_ != nullptr) DestroyWindow(window_);
}

INT_PTR Dialog::RunModal(HWND owner) {
  modal_ = true;
  result_ = 0;
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, Procedure,
                         reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless(HWND owner) {
  modal_ = false;
  result_ = 0;
  return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner, Procedure,
                            reinterpret_cast<LPARAM>(this));
}

void Dialog::End(INT_PTR result) {
  result_ = result;
  if (modal_) {
    EndDialog(window_, result);
  } else {
    DestroyWindow(window_);
  }
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

std::wstring Dialog::ItemText(int id) const { return WindowText(Item(id)); }

void Dialog::SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(window_, id, text.c_str()); }

void Dialog::EnableItem(int id, bool enabled) const { EnableWindow(Item(id), enabled ? TRUE : FALSE); }

void Dialog::SetTitle(const std::wstring& title) const { SetWindowTextW(window_, title.c_str()); }

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<Dialog*>(lparam);
    dialog->window_ = window;
    SetWindowLongPtrW(window, DWLP_USER, lparam);
  }
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    dialog->window_ = nullptr;
    return FALSE;
  }
  // No exception may unwind through the system's dialog code: this is where
  // an unexpected one (memory exhausted, say) stops, told to the user.
  try {
    return dialog->Handle(message, wparam, lparam);
  } catch (const _com_error& error) {
    ShowUnexpectedError(window, error.ErrorMessage());
  } catch (const std::exception& error) {
    ShowUnexpectedError(window, FromAnsi(error.what()));
  }
  return FALSE;
}

INT_PTR Dialog::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDOK) {
        OnOK();
        return TRUE;
      }
      if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return OnCommand(id, HIWORD(wparam)) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnNotify(*reinterpret_cast<const NMHDR*>(lparam), result)) return FALSE;
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
    default: {
      INT_PTR answer = FALSE;
      return OnMessage(message, wparam, lparam, answer) ? answer : FALSE;
    }
  }
}

}  // namespace quillmere
