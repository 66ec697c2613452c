#include "language.h"

#include <windows.h>

#include "resource.h"

namespace quillmere {

namespace {

struct Language {
  int base = 0;
  std::wstring productName;
};

Language& CurrentLanguage() {
  static Language language;
  return language;
}

}  // namespace

int ReadLanguageBase() {
  HKEY key = nullptr;
  // Read access is all the program needs: asking for more would fail for
  // users who may not write HKEY_LOCAL_MACHINE and silently show English.
  // The 32-bit view, where the shipping build and its installer find it.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Norvane\\Quillmere", 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                    &key) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LSTATUS status = RegQueryValueExW(key, L"Language", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? static_cast<int>(value) : 0;
}

void UseLanguage(int language_base) {
  Language& language = CurrentLanguage();
  language.base = language_base;
  language.productName = LoadText(IDS_PRODUCT_NAME);
}

int LanguageBase() { return CurrentLanguage().base; }

const std::wstring& ProductName() { return CurrentLanguage().productName; }

std::wstring LoadText(int offset) {
  const long long id = static_cast<long long>(LanguageBase()) + offset;
  // String ids are 16 bits; a larger one would wrap onto another language.
  if (id <= 0 || id > 0xFFFF) return {};
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<std::size_t>(length));
}

}  // namespace quillmere
