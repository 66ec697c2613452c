// One copy per desktop, with real processes: a second copy brings the first
// one's window to the front and ends; a marker without a window lets a copy
// start. The marker is a named event of the whole prefix, so this test runs
// alone.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "child_process.h"
#include "resource.h"

namespace quillmere::testing {
namespace {

// A window of the test's own, in front, so that a change of the foreground
// window can be seen.
class ForegroundWindow {
 public:
  ForegroundWindow()
      : window_(CreateWindowExW(0, L"STATIC", L"in front", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr)) {
    SetForegroundWindow(window_);
  }
  ~ForegroundWindow() { DestroyWindow(window_); }
  ForegroundWindow(const ForegroundWindow&) = delete;
  ForegroundWindow& operator=(const ForegroundWindow&) = delete;
  HWND Handle() const { return window_; }

 private:
  HWND window_;
};

// Waits for `condition`, which another process makes true, as long as any
// start of a process could take.
bool Eventually(const std::function<bool()>& condition) {
  for (int tries = 0; tries < 1500; ++tries) {
    if (condition()) return true;
    Sleep(20);
  }
  return condition();
}

void Close(const ChildProcess& copy, HWND window) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
  EXPECT_EQ(copy.WaitForExit(), 0u);
}

TEST(SingleInstance, ASecondCopyBringsTheFirstToTheFrontAndEnds) {
  const ChildProcess first(L"");
  ASSERT_TRUE(first.Started());
  const HWND window = first.WaitForWindow(L"Quillmere");
  ASSERT_NE(window, nullptr);

  const ForegroundWindow in_front;
  ASSERT_EQ(GetForegroundWindow(), in_front.Handle());
  ShowWindow(window, SW_MINIMIZE);

  const ChildProcess second(L"");
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(second.WaitForExit(), 0u);
  // The window manager carries the change out after the second copy asked.
  EXPECT_TRUE(Eventually([&] { return GetForegroundWindow() == window; }));
  EXPECT_TRUE(Eventually([&] { return !IsIconic(window); })) << "a minimised first copy is restored";
  EXPECT_EQ(WindowOfProcess(second.Id(), L"Quillmere"), nullptr);
  Close(first, window);
}

TEST(SingleInstance, AMarkerWithoutAWindowLetsACopyStart) {
  // A first copy that is still starting: it holds the marker but has no
  // window with the title yet.
  const HANDLE marker = CreateEventW(nullptr, TRUE, TRUE, L"Quillmere");
  ASSERT_NE(marker, nullptr);
  const ChildProcess copy(L"");
  ASSERT_TRUE(copy.Started());
  const HWND window = copy.WaitForWindow(L"Quillmere");
  ASSERT_NE(window, nullptr);
  Close(copy, window);
  CloseHandle(marker);
}

}  // namespace
}  // namespace quillmere::testing
