// The thin dialog layer Quillmere's windows are built on: a dialog template
// bound to an object whose virtual handlers receive the messages. Only what
// these dialogs need: modal and modeless runs, commands, notifications,
// other messages, and a few control helpers.
#pragma once

#include <windows.h>

#include <string>

namespace quillmere {

class Dialog {
 public:
  explicit Dialog(int template_id) : templateId_(template_id) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally, owned by `owner`; answers the result it ended
  // with (IDOK, IDCANCEL), or -1 when it could not be created.
  INT_PTR RunModal(HWND owner);
  // Creates the dialog without a modal loop and without showing it, for
  // callers that drive it through messages (tests, screenshots). Ending it
  // destroys the window; so does destroying the object.
  HWND CreateModeless(HWND owner);

  HWND Window() const { return window_; }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  // The result the dialog ended with; 0 while it runs.
  INT_PTR Result() const { return result_; }

 protected:
  // Dialog initialisation; true lets the system set the focus.
  virtual bool OnInitDialog() { return true; }
  // A command from control `id` other than OK and Cancel; true if handled.
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  // A notification; true if handled, with the notification's result.
  virtual bool OnNotify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }
  // Any other message; true if handled, with the dialog procedure's answer.
  virtual bool OnMessage(UINT /*message*/, WPARAM, LPARAM, INT_PTR& /*answer*/) { return false; }
  // OK (the Enter key included) and Cancel (the Escape key and closing the
  // window included) end the dialog by default.
  virtual void OnOK() { End(IDOK); }
  virtual void OnCancel() { End(IDCANCEL); }

  void End(INT_PTR result);

  std::wstring ItemText(int id) const;
  void SetItemText(int id, const std::wstring& text) const;
  void EnableItem(int id, bool enabled) const;
  void SetTitle(const std::wstring& title) const;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);

  int templateId_;
  HWND window_ = nullptr;
  bool modal_ = false;
  INT_PTR result_ = 0;
};

// The text of any window: a control, a dialog's title.
std::wstring WindowText(HWND window);

}  // namespace quillmere
