// OutlookStandin.dll as COM loads it: its exports, its class factory over
// the store file named by OUTLOOK_STANDIN_STORE, and its registration.
#include <gtest/gtest.h>

#include <string>

#include "com_pointers.h"
#include "dispatch_calls.h"
#include "outlook_ids.h"
#include "standin_fixture.h"

namespace outlook_standin::testing {
namespace {

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using NoArguments = HRESULT(STDAPICALLTYPE*)();

class StandinDll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    storeFile_ = FreshStoreFile(L"dll");
    // The DLL keeps its own folder; it finds the store the way a deployed
    // server does.
    SetEnvironmentVariableW(L"OUTLOOK_STANDIN_STORE", storeFile_.c_str());
    module_ = LoadLibraryW(L"OutlookStandin.dll");
    ASSERT_NE(module_, nullptr) << "OutlookStandin.dll must sit next to the test";
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    CoUninitialize();
    std::filesystem::remove(storeFile_);
  }

  template <class Function>
  Function Export(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  std::filesystem::path storeFile_;
  HMODULE module_ = nullptr;
};

TEST_F(StandinDll, ClassFactoryServesTheStoreFileNamedInTheEnvironment) {
  const auto getClassObject = Export<GetClassObject>("DllGetClassObject");
  const auto canUnloadNow = Export<NoArguments>("DllCanUnloadNow");
  ASSERT_TRUE(getClassObject && canUnloadNow);

  IClassFactory* factory = nullptr;
  EXPECT_EQ(getClassObject(kItemsInterfaceId, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
            CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(getClassObject(kApplicationClassId, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  IClassFactoryPtr factoryOwner(factory, false);
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "a factory is held";
  IDispatch* created = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, kApplicationInterfaceId, reinterpret_cast<void**>(&created)), S_OK);
  IDispatchPtr application(created, false);
  factoryOwner = nullptr;
  EXPECT_EQ(canUnloadNow(), S_FALSE) << "an object is alive";

  {
    const IDispatchPtr nameSpace = ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"MAPI")}));
    const IDispatchPtr folder = ObjectOf(Call(nameSpace, L"GetDefaultFolder", {_variant_t(10L)}));
    const IDispatchPtr items = ObjectOf(Get(folder, L"Items"));
    const IDispatchPtr added = ObjectOf(Call(items, L"Add"));
    Put(added, L"LastName", _variant_t(L"Served"));
    EXPECT_EQ(Call(added, L"Save").result, S_OK);
  }
  application = nullptr;
  EXPECT_EQ(canUnloadNow(), S_OK);

  // This process's own copy of the stand-in reads what the DLL stored.
  UseStoreFile(storeFile_);
  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_EQ(contents[0].contact.Get(L"LastName"), L"Served");
}

std::wstring ReadString(HKEY root, const std::wstring& key, const wchar_t* value) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(root, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return L"<none>";
  return text;
}

TEST_F(StandinDll, RegistersAndUnregistersItselfAsOutlookApplication) {
  const auto registerServer = Export<NoArguments>("DllRegisterServer");
  const auto unregisterServer = Export<NoArguments>("DllUnregisterServer");
  ASSERT_TRUE(registerServer && unregisterServer);
  // HKCR of this process is redirected to a scratch key, so the Wine
  // prefix that other tests share never sees the registration.
  const std::wstring scratch = L"Software\\OutlookStandinTests\\" + std::to_wstring(GetCurrentProcessId());
  HKEY redirected = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &redirected, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, redirected), ERROR_SUCCESS);
  wchar_t modulePath[MAX_PATH] = {};
  GetModuleFileNameW(module_, modulePath, MAX_PATH);
  const std::wstring classKey = L"CLSID\\{0006F03A-0000-0000-C000-000000000046}";

  EXPECT_EQ(registerServer(), S_OK);
  EXPECT_EQ(ReadString(redirected, classKey + L"\\InprocServer32", nullptr), modulePath);
  EXPECT_EQ(ReadString(redirected, classKey + L"\\InprocServer32", L"ThreadingModel"), L"Both");
  EXPECT_EQ(ReadString(redirected, L"Outlook.Application\\CLSID", nullptr),
            L"{0006F03A-0000-0000-C000-000000000046}");

  EXPECT_EQ(unregisterServer(), S_OK);
  EXPECT_EQ(ReadString(redirected, classKey + L"\\InprocServer32", nullptr), L"<none>");
  EXPECT_EQ(ReadString(redirected, L"Outlook.Application\\CLSID", nullptr), L"<none>");
  EXPECT_EQ(unregisterServer(), S_OK) << "unregistering twice is no failure";

  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegCloseKey(redirected);
  RegDeleteTreeW(HKEY_CURRENT_USER, scratch.c_str());
}

}  // namespace
}  // namespace outlook_standin::testing
