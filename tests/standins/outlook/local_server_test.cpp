// OutlookStandin.exe as COM runs it: registered as a local server with its
// type library, started by a client's CoCreateInstance in a process of its
// own, one process for every client, ended when the last client leaves, and
// replaced by a new one when it is killed. Runs with QM_OUTLOOK_SERVER=local.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "child_process.h"
#include "com_pointers.h"
#include "dispatch_calls.h"
#include "outlook_ids.h"
#include "standin_fixture.h"

namespace outlook_standin::testing {
namespace {

const std::wstring kApplicationClassKey = L"CLSID\\{0006F03A-0000-0000-C000-000000000046}";

std::optional<std::wstring> RegistryText(const std::wstring& key, const wchar_t* value = nullptr) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return text;
}

bool KeyExists(const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

DWORD RunServer(const wchar_t* option) {
  return standin_testing::Run(OUTLOOK_STANDIN_EXE, {option}).exitCode;
}

// A handle to a process that can be waited for.
class ProcessHandle {
 public:
  explicit ProcessHandle(DWORD id) : handle_(OpenProcess(SYNCHRONIZE, FALSE, id)) {}
  ~ProcessHandle() {
    if (handle_) CloseHandle(handle_);
  }
  ProcessHandle(const ProcessHandle&) = delete;
  ProcessHandle& operator=(const ProcessHandle&) = delete;
  bool Valid() const { return handle_ != nullptr; }
  bool EndsWithin(DWORD milliseconds) const { return WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0; }

 private:
  HANDLE handle_;
};

class LocalServerTest : public StandinTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test_support::LocalServerChosen()) << "run with QM_OUTLOOK_SERVER=local";
    StandinTest::SetUp();
  }
};

TEST_F(LocalServerTest, RegistersAsLocalServerWithTheTypeLibraryForItsInterfaces) {
  const auto check = [](const char* when) {
    const auto command = RegistryText(kApplicationClassKey + L"\\LocalServer32");
    ASSERT_TRUE(command) << when;
    EXPECT_EQ(command->front(), L'"') << when;
    EXPECT_NE(command->find(L"OutlookStandin.exe\""), std::wstring::npos) << when << ": " << *command;
    EXPECT_FALSE(KeyExists(kApplicationClassKey + L"\\InprocServer32")) << when;
    EXPECT_EQ(RegistryText(L"Outlook.Application\\CLSID"), L"{0006F03A-0000-0000-C000-000000000046}") << when;
    // The type library is registered for the server's own word size.
    const std::wstring platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    EXPECT_TRUE(KeyExists(L"TypeLib\\" + GuidText(kTypeLibraryId) + L"\\1.0\\0\\" + platform)) << when;
    for (const GUID* iid : {&kApplicationInterfaceId, &kNameSpaceInterfaceId, &kFolderInterfaceId,
                            &kItemsInterfaceId, &kContactItemInterfaceId, &kDistListItemInterfaceId}) {
      const std::wstring key = L"Interface\\" + GuidText(*iid);
      EXPECT_EQ(RegistryText(key + L"\\ProxyStubClsid32"), L"{00020424-0000-0000-C000-000000000046}")
          << when << ": " << std::string(key.begin(), key.end());
      EXPECT_EQ(RegistryText(key + L"\\TypeLib"), GuidText(kTypeLibraryId)) << when;
    }
  };
  check("as prepared");

  ASSERT_EQ(RunServer(L"/UnregServer"), 0u);
  EXPECT_FALSE(KeyExists(kApplicationClassKey));
  EXPECT_FALSE(KeyExists(L"Outlook.Application"));
  EXPECT_FALSE(KeyExists(L"TypeLib\\" + GuidText(kTypeLibraryId)));
  EXPECT_EQ(RunServer(L"-UnregServer"), 0u) << "unregistering twice is no failure";
  EXPECT_EQ(RunServer(L"/NoSuchSwitch"), 2u);

  ASSERT_EQ(RunServer(L"/REGSERVER"), 0u);
  check("registered again");
}

TEST_F(LocalServerTest, ObjectsLiveInTheServersProcessBehindOutlooksInterfaces) {
  SeedFolder({ContactNamed(L"Ada"), DistributionListItem()});
  const DWORD server = LocalServer()->ServerProcessId();
  EXPECT_NE(server, GetCurrentProcessId());

  const IDispatchPtr items = NewItems();
  ASSERT_TRUE(items);
  // A proxy, not the object: only COM's proxies answer IClientSecurity.
  IUnknown* security = nullptr;
  EXPECT_EQ(items->QueryInterface(IID_IClientSecurity, reinterpret_cast<void**>(&security)), S_OK);
  if (security) security->Release();
  EXPECT_EQ(Get(items, L"Count").value, _variant_t(2L));
  EXPECT_EQ(CallCount(OutlookCall::Count), 1) << "counted in the server";
}

TEST_F(LocalServerTest, OneServerProcessServesClientsOfEveryApartment) {
  const DWORD server = LocalServer()->ServerProcessId();
  const IDispatchPtr here = NewItems();
  DWORD seenFromOtherApartment = 0;
  long countFromOtherApartment = -1;
  std::thread other([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
      const IDispatchPtr there = NewItems();
      countFromOtherApartment = there ? static_cast<long>(Get(there, L"Count").value) : -1;
      seenFromOtherApartment = LocalServer()->ServerProcessId();
    }
    CoUninitialize();
  });
  other.join();
  EXPECT_EQ(seenFromOtherApartment, server);
  EXPECT_EQ(countFromOtherApartment, 0);
  EXPECT_EQ(Get(here, L"Count").value, _variant_t(0L));
}

TEST_F(LocalServerTest, ProxyAnswersWrongThreadInAnotherSingleThreadedApartment) {
  const IDispatchPtr items = NewItems();  // made in this test's multithreaded apartment
  HRESULT fromOtherApartment = S_OK;
  std::thread other([&] {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    fromOtherApartment = Get(items, L"Count").result;
    CoUninitialize();
  });
  other.join();
  EXPECT_EQ(fromOtherApartment, RPC_E_WRONG_THREAD);
}

TEST_F(LocalServerTest, KilledServerFailsItsProxiesAndANewOneTakesOver) {
  SeedFolder({ContactNamed(L"Ada")});
  const DWORD first = LocalServer()->ServerProcessId();
  IDispatchPtr orphan = NewItems();
  LocalServer()->KillServer();

  const auto afterKill = Get(orphan, L"Count");
  EXPECT_TRUE(FAILED(afterKill.result));
  EXPECT_NE(afterKill.result, DISP_E_EXCEPTION) << "the call never reached a server";
  orphan = nullptr;

  const IDispatchPtr fresh = NewItems();
  ASSERT_TRUE(fresh);
  EXPECT_EQ(Get(fresh, L"Count").value, _variant_t(1L)) << "the new server reads the same store file";
  EXPECT_NE(LocalServer()->ServerProcessId(), first);
  EXPECT_EQ(CallCount(OutlookCall::Count), 1) << "the controls follow the new server";
}

// Without the fixture: nothing of the test's own keeps the server alive.
TEST(LocalServerLifetime, EndsSoonAfterItsLastClientLeaves) {
  ASSERT_TRUE(test_support::LocalServerChosen()) << "run with QM_OUTLOOK_SERVER=local";
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    std::optional<LocalServerControl> control(std::in_place);
    const ProcessHandle server(control->ServerProcessId());
    ASSERT_TRUE(server.Valid());
    IDispatch* created = nullptr;
    ASSERT_EQ(CoCreateInstance(kApplicationClassId, nullptr, CLSCTX_ALL, IID_IDispatch,
                               reinterpret_cast<void**>(&created)),
              S_OK);
    IDispatchPtr application(created, false);
    control.reset();
    EXPECT_FALSE(server.EndsWithin(4000)) << "a client still holds the application";
    application = nullptr;
    EXPECT_TRUE(server.EndsWithin(15000)) << "the last client has gone";
  }
  CoUninitialize();
}

}  // namespace
}  // namespace outlook_standin::testing
