#include "single_instance.h"

namespace quillmere {

namespace {

struct WindowSearch {
  const std::wstring* title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<WindowSearch*>(search_address);
  const int length = GetWindowTextLengthW(window);
  if (length != static_cast<int>(search.title->size())) return TRUE;
  std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
  title.resize(static_cast<std::size_t>(GetWindowTextW(window, title.data(), length + 1)));
  if (title != *search.title) return TRUE;
  search.found = window;
  return FALSE;
}

// Exact, case-sensitive title match; FindWindow ignores letter case.
HWND FindTopLevelWindow(const std::wstring& title) {
  WindowSearch search{&title};
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void BringToFront(HWND window) {
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  SetForegroundWindow(window);
}

}  // namespace

std::optional<InstanceMarker> TakeInstanceMarker(const std::wstring& product_name) {
  InstanceMarker existing(OpenEventW(EVENT_ALL_ACCESS, FALSE, product_name.c_str()));
  if (existing) {
    if (const HWND other_copy = FindTopLevelWindow(product_name)) {
      BringToFront(other_copy);
      return std::nullopt;
    }
    return existing;
  }
  // Manual reset, signalled; never waited on, only held.
  return InstanceMarker(CreateEventW(nullptr, TRUE, TRUE, product_name.c_str()));
}

}  // namespace quillmere
