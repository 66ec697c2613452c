#include "outlook_test_environment.h"

#include <windows.h>

#include <memory>

#include "served_standin.h"

namespace test_support {

namespace {

class OutlookEnvironment : public ::testing::Environment {
 public:
  ServedStandin* Server() { return server_.get(); }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    store_ = std::filesystem::path(temp) /
             (L"qm-test-" + std::to_wstring(GetCurrentProcessId()) + L".olstore");
    outlook_standin::UseStoreFile(store_);
    server_ = std::make_unique<ServedStandin>();
  }

  void TearDown() override {
    server_.reset();
    std::error_code ignored;
    std::filesystem::remove(store_, ignored);
    CoUninitialize();
  }

 private:
  std::filesystem::path store_;
  std::unique_ptr<ServedStandin> server_;
};

auto* const registered = static_cast<OutlookEnvironment*>(::testing::AddGlobalTestEnvironment(new OutlookEnvironment));

}  // namespace

outlook_standin::LocalServerControl* LocalServer() {
  return registered->Server() != nullptr ? registered->Server()->LocalServer() : nullptr;
}

void OutlookGoesAway() {
  if (outlook_standin::LocalServerControl* server = LocalServer()) {
    server->KillServer();
  } else {
    outlook_standin::RestartOutlook();
  }
}

outlook_standin::FolderItem ContactWith(
    std::initializer_list<std::pair<std::wstring_view, std::wstring>> properties) {
  outlook_standin::FolderItem item;
  for (const auto& [name, value] : properties) item.contact.Set(name, value);
  return item;
}

outlook_standin::FolderItem DistributionList() {
  outlook_standin::FolderItem item;
  item.kind = outlook_standin::ItemKind::DistributionList;
  return item;
}

void OutlookTest::SetUp() { outlook_standin::ResetFolder(); }

void OutlookTest::TearDown() { outlook_standin::ResetFolder(); }

std::vector<std::wstring> OutlookTest::Seed(const std::vector<outlook_standin::FolderItem>& items) {
  outlook_standin::SeedFolder(items);
  outlook_standin::ResetCallCounts();
  std::vector<std::wstring> entry_ids;
  for (const auto& item : outlook_standin::FolderContents()) entry_ids.push_back(item.entryId);
  return entry_ids;
}

}  // namespace test_support
