// Pelloquin.dll as the service manager meets it: found through the
// registration tools/register-provider writes, loaded by COM, serving the
// Outlook stand-in's contacts. Run by registration-test, once registered
// (Registered.*) and once after the registration was removed (Unregistered.*).
#include <windows.h>

#include <gtest/gtest.h>

#include "com_support.h"
#include "outlook_test_environment.h"
#include "service_manager_contract.h"

_COM_SMARTPTR_TYPEDEF(IReplStore, __uuidof(IReplStore));

namespace {

using test_support::ContactWith;
using Registered = test_support::OutlookTest;
using Unregistered = test_support::OutlookTest;

std::wstring ReadValue(HKEY root, const wchar_t* key, const wchar_t* value) {
  wchar_t text[256] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(root, key, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
  return text;
}

constexpr wchar_t kObjectKey[] = L"Software\\Microsoft\\Windows CE Services\\Services\\Synchronization\\Objects\\Contact";
constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{6F1C3A52-8D47-4E0B-9B2A-5C7D1E3F4A86}";
constexpr wchar_t kProgIdKey[] = L"Software\\Classes\\MS.WinCE.Pelloquin";

// The registry views of a 64-bit machine: this program is built in the
// library's word size, so its own view is where the registration belongs.
constexpr REGSAM kOwnView = sizeof(void*) == 4 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
constexpr REGSAM kOtherView = sizeof(void*) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

bool KeyExists(const wchar_t* key, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

TEST_F(Registered, TheServiceManagerFindsTheStoreForContacts) {
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kObjectKey, L"Store"), L"MS.WinCE.Pelloquin");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kObjectKey, L"Display Name"), L"Contact");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kObjectKey, L"Plural Name"), L"Contacts");
}

TEST_F(Registered, TheClassAndObjectTypeAreInTheViewOfTheLibrarysWordSizeOnly) {
  for (const wchar_t* key : {kClassKey, kProgIdKey, kObjectKey}) EXPECT_TRUE(KeyExists(key, kOwnView)) << key;
  // A ProgID is one key that both views share, as on 64-bit Windows; the
  // class it names is found in one view only.
  for (const wchar_t* key : {kClassKey, kObjectKey}) EXPECT_FALSE(KeyExists(key, kOtherView)) << key;
}

TEST_F(Registered, TheStoreIsCreatedByItsProgIdAndServesTheContacts) {
  Seed({ContactWith({{L"LastName", L"Berg"}}), ContactWith({{L"LastName", L"Lind"}})});
  CLSID clsid;
  ASSERT_EQ(CLSIDFromProgID(L"MS.WinCE.Pelloquin", &clsid), S_OK);
  IReplStorePtr store;
  ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IReplStore, reinterpret_cast<void**>(&store)),
            S_OK);
  ASSERT_EQ(store->Initialize(nullptr, 0), S_OK);
  STOREINFO info{};
  info.cbStruct = sizeof info;
  BYTE id[10];
  info.cbMaxStoreId = sizeof id;
  info.lpbStoreId = id;
  ASSERT_EQ(store->GetStoreInfo(&info), S_OK);
  EXPECT_STREQ(info.szProgId, "MS.WinCE.Pelloquin");

  HREPLFLD folder = nullptr;
  IUnknown* handler = nullptr;
  ASSERT_EQ(store->GetFolderInfo("Contact", &folder, &handler), S_OK);
  int items = 0;
  HREPLITEM item = nullptr;
  BOOL exists = FALSE;
  for (HRESULT hr = store->FindFirstItem(folder, &item, &exists); SUCCEEDED(hr) && exists;
       hr = store->FindNextItem(folder, &item, &exists)) {
    ++items;
    store->FreeObject(reinterpret_cast<HREPLOBJ>(item));
  }
  EXPECT_EQ(items, 2);
  store->FreeObject(reinterpret_cast<HREPLOBJ>(folder));
  store->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0);
}

TEST_F(Unregistered, NothingIsLeftBehind) {
  CLSID clsid;
  EXPECT_NE(CLSIDFromProgID(L"MS.WinCE.Pelloquin", &clsid), S_OK);
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, kObjectKey, L"Store"), L"");
  for (const wchar_t* key : {kClassKey, kProgIdKey, kObjectKey}) {
    EXPECT_FALSE(KeyExists(key, kOwnView)) << key;
    EXPECT_FALSE(KeyExists(key, kOtherView)) << key;
  }
}

}  // namespace
