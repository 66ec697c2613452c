// For the screenshot stages: lets a window that was just shown finish
// painting before the screen is read.
#pragma once

#include <windows.h>

namespace test_support {

// Dispatches this thread's messages for about half a second, pausing between
// rounds so the X server draws what Wine sent it.
inline void SettleForScreenshot() {
  MSG message;
  for (int round = 0; round < 20; ++round) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(25);
  }
}

}  // namespace test_support
