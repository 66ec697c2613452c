#include "console_output.h"

#include <string>

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

std::string Utf8(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace

void WriteLine(DWORD standard_handle, std::wstring_view line) {
  const HANDLE output = OutputHandle(standard_handle);
  if (output == INVALID_HANDLE_VALUE) return;
  const std::wstring text = std::wstring(line) + L"\r\n";
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(output, &mode)) {
    WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const std::string utf8 = Utf8(text);
  WriteFile(output, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace quillmere
