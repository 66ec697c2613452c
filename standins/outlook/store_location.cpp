#include "store_location.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

namespace outlook_standin {
namespace {

std::wstring EnvironmentVariable(const wchar_t* name) {
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD needed = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (needed < value.size()) {
      value.resize(needed);
      return value;
    }
    value.resize(needed);
  }
}

std::filesystem::path LocalAppData() {
  PWSTR folder = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &folder);
  const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owner(folder, &CoTaskMemFree);
  if (SUCCEEDED(found) && folder) return folder;
  return EnvironmentVariable(L"LOCALAPPDATA");
}

}  // namespace

std::filesystem::path DefaultStoreFile() {
  const std::wstring chosen = EnvironmentVariable(L"OUTLOOK_STANDIN_STORE");
  if (!chosen.empty()) return chosen;
  return LocalAppData() / L"OutlookStandin" / L"contacts.olstore";
}

}  // namespace outlook_standin
