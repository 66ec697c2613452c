#include "provider_discovery.h"

#include <windows.h>

#include <vector>

#include "console_text.h"
#include "host_error.h"

namespace sync_host {
namespace {

using console_text::Utf8;

std::wstring ReadStringValue(HKEY root, const std::wstring& key, const wchar_t* value) {
  DWORD bytes = 0;
  LSTATUS status = RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
  if (status != ERROR_SUCCESS) return {};
  std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  status = RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
  return status == ERROR_SUCCESS ? std::wstring(text.data()) : std::wstring();
}

}  // namespace

RegisteredProvider CreateRegisteredProvider(const std::wstring& objectType) {
  const std::wstring typeKey = std::wstring(kSynchronizationObjectsKey) + L"\\" + objectType;
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, typeKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    throw HostError("no synchronisation provider is registered for \"" + Utf8(objectType) + "\" (HKLM\\" +
                    Utf8(typeKey) + " is missing)");
  }
  RegCloseKey(opened);
  RegisteredProvider provider;
  provider.progId = ReadStringValue(HKEY_LOCAL_MACHINE, typeKey, L"Store");
  if (provider.progId.empty()) {
    throw HostError("the provider registration HKLM\\" + Utf8(typeKey) + " has no \"Store\" value naming its ProgID");
  }
  CLSID classId{};
  if (const HRESULT found = CLSIDFromProgID(provider.progId.c_str(), &classId); FAILED(found)) {
    throw HostError("the provider's ProgID \"" + Utf8(provider.progId) +
                    "\" names no class: " + console_text::SystemErrorText(found));
  }
  IReplStore* store = nullptr;
  if (const HRESULT created =
          CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IReplStore, reinterpret_cast<void**>(&store));
      FAILED(created)) {
    throw HostError("the provider \"" + Utf8(provider.progId) +
                    "\" could not be created: " + console_text::SystemErrorText(created));
  }
  provider.store.Attach(store);
  return provider;
}

}  // namespace sync_host
