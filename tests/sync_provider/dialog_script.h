// Plays the user in a modal dialog without sleeping: the dialog's owner is a
// window of the script's, which the modal loop tells each time it has nothing
// left to do (WM_ENTERIDLE). Each time, the next step runs on the dialog with
// SendMessage; the last step should close it. A dialog still open when the
// steps have run out is a failure, and is cancelled so that the test ends.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace pelloquin::test {

class DialogScript {
 public:
  using Step = std::function<void(HWND dialog)>;

  explicit DialogScript(std::vector<Step> steps);
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  // The window to own the dialog.
  HWND Owner() const { return owner_; }
  // Whether every step has run.
  bool Finished() const { return next_ == steps_.size(); }

 private:
  static LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void OnIdle(HWND dialog);

  std::vector<Step> steps_;
  std::size_t next_ = 0;
  HWND owner_;
};

// A click on a button, as the user makes it.
void Click(HWND dialog, int button);
// Choosing a radio button: checked, and one command to the dialog. (A click
// under Wine notifies twice, once for the focus it gives the button.)
void Choose(HWND dialog, int first, int last, int chosen);

}  // namespace pelloquin::test
