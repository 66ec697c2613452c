// Not a test: prints what one Outlook call costs with the stand-in in this
// process and with the local server (OutlookStandin.exe) in another, side by
// side. Run it where the local server is registered, with a display:
//   tools/wine-run --prefix build/x86_64/wineprefix-local-server OutlookCallBenchmark.exe [calls]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <optional>

#include "dispatch_calls.h"
#include "outlook_ids.h"
#include "outlook_standin.h"

namespace {

using outlook_standin::testing::Call;
using outlook_standin::testing::Get;
using outlook_standin::testing::ObjectOf;

IDispatchPtr NewItems() {
  IDispatch* created = nullptr;
  if (FAILED(CoCreateInstance(outlook_standin::kApplicationClassId, nullptr, CLSCTX_ALL, IID_IDispatch,
                              reinterpret_cast<void**>(&created)))) {
    return nullptr;
  }
  const IDispatchPtr application(created, false);
  const IDispatchPtr nameSpace = ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"MAPI")}));
  return ObjectOf(Get(ObjectOf(Call(nameSpace, L"GetDefaultFolder", {_variant_t(10L)})), L"Items"));
}

// Microseconds per call of Items.Count and of a contact's LastName read.
void Measure(const char* where, long calls) {
  const IDispatchPtr items = NewItems();
  if (!items) {
    std::printf("%-16s could not reach the stand-in\n", where);
    return;
  }
  const IDispatchPtr contact = ObjectOf(Call(items, L"GetFirst"));
  const auto perCall = [calls](const std::function<void()>& call) {
    call();  // names looked up, proxies made
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i) call();
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / calls;
  };
  const double count = perCall([&] { Get(items, L"Count"); });
  const double read = perCall([&] { Get(contact, L"LastName"); });
  std::printf("%-16s Items.Count %10.2f us   ContactItem.LastName %10.2f us\n", where, count, read);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const long calls = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 2000;
  if (calls <= 0) return 2;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const auto store = std::filesystem::temp_directory_path() /
                     (L"call-cost-" + std::to_wstring(GetCurrentProcessId()) + L".olstore");
  outlook_standin::UseStoreFile(store);
  outlook_standin::FolderItem contact;
  contact.contact.Set(L"LastName", L"Quist");
  outlook_standin::SeedFolder({contact});
  std::printf("One Outlook call, %ld calls each:\n", calls);
  {
    const outlook_standin::InProcessServer server;
    Measure("in process", calls);
  }
  {
    outlook_standin::LocalServerControl server;
    Measure("out of process", calls);
  }
  std::filesystem::remove(store);
  CoUninitialize();
  return 0;
}
