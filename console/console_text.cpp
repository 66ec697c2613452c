#include "console_text.h"

#include <cstdio>

namespace console_text {

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::string Utf8(std::u16string_view text) {
  return Utf8(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

std::string PathUtf8(const std::filesystem::path& path) { return Utf8(std::wstring_view(path.native())); }

namespace {

std::wstring WideFrom(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), units);
  return wide;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) { return Utf8(WideFrom(CP_ACP, ansi)); }

namespace {

std::wstring SystemWords(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring words(buffer ? buffer : L"", length);
  LocalFree(buffer);
  while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
  return words;
}

}  // namespace

std::string SystemErrorText(HRESULT result) {
  std::wstring words = SystemWords(static_cast<DWORD>(result));
  if (words.empty() && HRESULT_FACILITY(result) == FACILITY_WIN32) words = SystemWords(HRESULT_CODE(result));
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return words.empty() ? std::string("error ") + code : Utf8(words) + " (" + code + ")";
}

std::string Win32ErrorText(DWORD error) { return SystemErrorText(HRESULT_FROM_WIN32(error)); }

void UseUtf8Output() { SetConsoleOutputCP(CP_UTF8); }

}  // namespace console_text
