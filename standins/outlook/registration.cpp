#include "registration.h"

#include <objbase.h>
#include <oleauto.h>

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

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

std::wstring ClassKey(const GUID& classId) { return L"CLSID\\" + GuidText(classId); }

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

HRESULT FirstFailure(std::initializer_list<LSTATUS> outcomes) {
  for (const LSTATUS status : outcomes) {
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

// The class with its description, ProgID and the ProgID's way back.
HRESULT RegisterClassNames(const GUID& classId, const wchar_t* description, const wchar_t* progId) {
  return FirstFailure({
      SetString(ClassKey(classId), nullptr, description),
      SetString(ClassKey(classId) + L"\\ProgID", nullptr, progId),
      SetString(std::wstring(progId) + L"\\CLSID", nullptr, GuidText(classId)),
  });
}

HRESULT UnregisterClass(const GUID& classId, const wchar_t* progId) {
  return FirstFailure({DeleteTree(ClassKey(classId)), DeleteTree(progId)});
}

constexpr wchar_t kApplicationDescription[] = L"Outlook stand-in application";

#ifdef _WIN64
constexpr SYSKIND kSystemKind = SYS_WIN64;
#else
constexpr SYSKIND kSystemKind = SYS_WIN32;
#endif

}  // namespace

HRESULT RegisterServer(const std::wstring& modulePath) {
  const std::wstring classKey = ClassKey(kApplicationClassId);
  const HRESULT named = RegisterClassNames(kApplicationClassId, kApplicationDescription, kApplicationProgId);
  if (FAILED(named)) return named;
  return FirstFailure({
      SetString(classKey + L"\\InprocServer32", nullptr, modulePath),
      SetString(classKey + L"\\InprocServer32", L"ThreadingModel", L"Both"),
      DeleteTree(classKey + L"\\LocalServer32"),
  });
}

HRESULT UnregisterServer() { return UnregisterClass(kApplicationClassId, kApplicationProgId); }

HRESULT RegisterLocalServer(const std::wstring& exePath) {
  const std::wstring command = L"\"" + exePath + L"\"";
  for (const HRESULT named : {
           RegisterClassNames(kApplicationClassId, kApplicationDescription, kApplicationProgId),
           RegisterClassNames(kControlClassId, L"Outlook stand-in control", kControlProgId),
       }) {
    if (FAILED(named)) return named;
  }
  const HRESULT written = FirstFailure({
      SetString(ClassKey(kApplicationClassId) + L"\\LocalServer32", nullptr, command),
      DeleteTree(ClassKey(kApplicationClassId) + L"\\InprocServer32"),
      SetString(ClassKey(kControlClassId) + L"\\LocalServer32", nullptr, command),
  });
  if (FAILED(written)) return written;
  ITypeLib* library = nullptr;
  const HRESULT loaded = LoadTypeLibEx(exePath.c_str(), REGKIND_REGISTER, &library);
  if (SUCCEEDED(loaded)) library->Release();
  return loaded;
}

HRESULT UnregisterLocalServer() {
  HKEY library = nullptr;
  const bool libraryRegistered = RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"TypeLib\\" + GuidText(kTypeLibraryId)).c_str(), 0,
                                               KEY_READ, &library) == ERROR_SUCCESS;
  if (library) RegCloseKey(library);
  const HRESULT typeLibrary =
      libraryRegistered ? UnRegisterTypeLib(kTypeLibraryId, 1, 0, LOCALE_NEUTRAL, kSystemKind) : S_OK;
  for (const HRESULT removed : {UnregisterClass(kApplicationClassId, kApplicationProgId),
                                UnregisterClass(kControlClassId, kControlProgId)}) {
    if (FAILED(removed)) return removed;
  }
  return typeLibrary;
}

}  // namespace outlook_standin
