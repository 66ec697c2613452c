#include "standin_fixture.h"

#include <string>

#include "dispatch_calls.h"
#include "outlook_ids.h"

namespace outlook_standin::testing {

std::filesystem::path FreshStoreFile(std::wstring_view name) {
  const auto folder = std::filesystem::temp_directory_path() / L"outlook-standin-tests";
  std::filesystem::create_directories(folder);
  auto file = folder / (std::wstring(name) + L"-" + std::to_wstring(GetCurrentProcessId()) + L".olstore");
  std::filesystem::remove(file);
  return file;
}

void StandinTest::SetUp() {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(test->test_suite_name()) + "-" + test->name();
  storeFile_ = FreshStoreFile(std::wstring(name.begin(), name.end()));
  server_.emplace();
  UseStoreFile(storeFile_);
  ResetFolder();
  liveObjectsBefore_ = LiveObjectCount();
}

void StandinTest::TearDown() {
  EXPECT_EQ(LiveObjectCount(), liveObjectsBefore_) << "stand-in objects leaked";
  server_.reset();
  CoUninitialize();
  std::filesystem::remove(storeFile_);
}

IDispatchPtr StandinTest::CreateApplication() {
  IDispatch* application = nullptr;
  const HRESULT created = CoCreateInstance(kApplicationClassId, nullptr, CLSCTX_ALL, IID_IDispatch,
                                           reinterpret_cast<void**>(&application));
  EXPECT_EQ(created, S_OK);
  return IDispatchPtr(application, false);
}

IDispatchPtr StandinTest::ContactsFolder() {
  const IDispatchPtr application = CreateApplication();
  if (!application) return nullptr;
  const IDispatchPtr nameSpace = ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"MAPI")}));
  if (!nameSpace) return nullptr;
  return ObjectOf(Call(nameSpace, L"GetDefaultFolder", {_variant_t(10L)}));
}

IDispatchPtr StandinTest::NewItems() {
  const IDispatchPtr folder = ContactsFolder();
  if (!folder) return nullptr;
  return ObjectOf(Get(folder, L"Items"));
}

FolderItem ContactNamed(std::wstring firstName) {
  FolderItem item;
  item.contact.Set(L"FirstName", std::move(firstName));
  return item;
}

FolderItem DistributionListItem() {
  FolderItem item;
  item.kind = ItemKind::DistributionList;
  return item;
}

}  // namespace outlook_standin::testing
