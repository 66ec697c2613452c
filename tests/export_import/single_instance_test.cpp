// One copy per desktop, with real processes: a second copy brings the first
// one's window to the front and ends; a marker without a window lets a copy
// start. The marker is a named event of the whole prefix, so this test runs
// alone.
#include <gtest/gtest.h>

#include <windows.h>

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

void Close(const ChildProcess& copy, HWND window) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED), 0);
  EXPECT_EQ(copy.WaitForExit(), 0u);
}

TEST(SingleInstance, ASecondCopyBringsTheFirstToTheFrontAndEnds) {
  const ChildProcess first(L"");
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(first.WaitUntilIdle());
  const HWND window = WindowOfProcess(first.Id(), L"Quillmere");
  ASSERT_NE(window, nullptr);

  const ForegroundWindow in_front;
  ASSERT_EQ(GetForegroundWindow(), in_front.Handle());
  ShowWindow(window, SW_MINIMIZE);

  const ChildProcess second(L"");
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_EQ(GetForegroundWindow(), window);
  EXPECT_FALSE(IsIconic(window)) << "a minimised first copy is restored";
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
  ASSERT_TRUE(copy.WaitUntilIdle());
  const HWND window = WindowOfProcess(copy.Id(), L"Quillmere");
  EXPECT_NE(window, nullptr);
  Close(copy, window);
  CloseHandle(marker);
}

}  // namespace
}  // namespace quillmere::testing
