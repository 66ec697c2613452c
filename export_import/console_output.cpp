#include "console_output.h"

#include <string>

#include "console_text.h"

namespace quillmere {

namespace {

HANDLE ParentConsoleOutput() {
  static const HANDLE console = [] {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return INVALID_HANDLE_VALUE;
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  }();
  return console;
}

HANDLE OutputHandle(DWORD standard_handle) {
  const HANDLE inherited = GetStdHandle(standard_handle);
  if (inherited != nullptr && inherited != INVALID_HANDLE_VALUE && GetFileType(inherited) != FILE_TYPE_UNKNOWN) {
    return inherited;
  }
  return ParentConsoleOutput();
}

}  // namespace

void Write(DWORD standard_handle, std::wstring_view text) {
  const HANDLE output = OutputHandle(standard_handle);
  if (output == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(output, &mode)) {
    WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string utf8 = console_text::Utf8(text);
  WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void WriteLine(DWORD standard_handle, std::wstring_view line) { Write(standard_handle, std::wstring(line) + L"\r\n"); }

bool IsConsole(DWORD standard_handle) {
  const HANDLE output = OutputHandle(standard_handle);
  DWORD mode = 0;
  return output != INVALID_HANDLE_VALUE && GetConsoleMode(output, &mode) != FALSE;
}

}  // namespace quillmere
