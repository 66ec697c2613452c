#include "registration.h"

#include <objbase.h>

#include "outlook_ids.h"

namespace outlook_standin {
namespace {

class RegistryKey {
 public:
  RegistryKey() = default;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  ~RegistryKey() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

std::wstring ClassIdText() {
  wchar_t text[40] = {};
  StringFromGUID2(kApplicationClassId, text, 40);
  return text;
}

LSTATUS SetString(const std::wstring& keyPath, const wchar_t* valueName, const std::wstring& value) {
  RegistryKey key;
  const LSTATUS created = RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                          KEY_SET_VALUE, nullptr, key.Out(), nullptr);
  if (created != ERROR_SUCCESS) return created;
  return RegSetValueExW(key.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LSTATUS DeleteTree(const std::wstring& keyPath) {
  const LSTATUS deleted = RegDeleteTreeW(HKEY_CLASSES_ROOT, keyPath.c_str());
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return deleted;
  const LSTATUS removed = RegDeleteKeyW(HKEY_CLASSES_ROOT, keyPath.c_str());
  return removed == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : removed;
}

}  // namespace

HRESULT RegisterServer(const std::wstring& modulePath) {
  const std::wstring classKey = L"CLSID\\" + ClassIdText();
  const std::wstring progIdKey = kApplicationProgId;
  for (const LSTATUS status : {
           SetString(classKey, nullptr, L"Outlook stand-in application"),
           SetString(classKey + L"\\InprocServer32", nullptr, modulePath),
           SetString(classKey + L"\\InprocServer32", L"ThreadingModel", L"Both"),
           SetString(classKey + L"\\ProgID", nullptr, kApplicationProgId),
           SetString(progIdKey + L"\\CLSID", nullptr, ClassIdText()),
       }) {
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

HRESULT UnregisterServer() {
  const LSTATUS classRemoved = DeleteTree(L"CLSID\\" + ClassIdText());
  const LSTATUS progIdRemoved = DeleteTree(kApplicationProgId);
  if (classRemoved != ERROR_SUCCESS) return HRESULT_FROM_WIN32(classRemoved);
  return HRESULT_FROM_WIN32(progIdRemoved);
}

}  // namespace outlook_standin
