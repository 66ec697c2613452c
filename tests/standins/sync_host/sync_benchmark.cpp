// How a synchronisation grows with the size of the folder: for a first
// synchronisation and for one with a single changed contact, at 100, 1,000
// and 10,000 contacts (or the sizes given, 50,000 say), the wall time, in
// all and per contact, and the number of calls into Outlook.
//
// The host's own engine drives Pelloquin.dll (loaded from beside this
// program) against the Outlook stand-in served from this process, or, with
// QM_OUTLOOK_SERVER=local, against the local server OutlookStandin.exe in a
// process of its own, as Outlook runs (then in the prefix where the local
// server is registered, with a display). Its counters see every call the
// provider makes.
//
//   sync_host_benchmark.exe [--rounds N] [contacts...]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "contact_mapping.h"
#include "device_store.h"
#include "outlook_dispatch.h"
#include "outlook_session.h"
#include "outlook_standin.h"
#include "provider_connection.h"
#include "served_standin.h"
#include "synchronisation.h"

namespace {

using outlook_standin::OutlookCall;
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

long OutlookCalls() {
  long total = 0;
  for (int call = static_cast<int>(OutlookCall::CreateApplication); call <= static_cast<int>(OutlookCall::Delete); ++call) {
    total += outlook_standin::CallCount(static_cast<OutlookCall>(call));
  }
  return total;
}

class Provider {
 public:
  Provider() : module_(LoadLibraryW(L"Pelloquin.dll")) {
    if (!module_) throw std::runtime_error("Pelloquin.dll must sit next to the benchmark");
    const auto getClassObject =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (!getClassObject || FAILED(getClassObject(CLSID_NULL, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) {
      throw std::runtime_error("Pelloquin.dll gave no class factory");
    }
    factory_.Attach(factory);
  }

  IReplStorePtr NewStore() {
    IReplStore* store = nullptr;
    if (FAILED(factory_->CreateInstance(nullptr, IID_IReplStore, reinterpret_cast<void**>(&store)))) {
      throw std::runtime_error("Pelloquin.dll made no store");
    }
    return IReplStorePtr(store, false);
  }

 private:
  HMODULE module_;
  IClassFactoryPtr factory_;
};

struct Measured {
  double milliseconds;
  long outlookCalls;
  sync_host::SyncCounts counts;
};

Measured Synchronise(Provider& provider, const std::filesystem::path& device, const std::filesystem::path& state) {
  outlook_standin::ResetCallCounts();
  const auto start = std::chrono::steady_clock::now();
  sync_host::SyncReport report(nullptr);
  {
    sync_host::ProviderConnection connection(provider.NewStore());
    device::DeviceStore store(device, device::DeviceStore::Access::Change);
    sync_host::Synchronise(connection, store, {.stateFile = state}, report);
  }
  const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
  return {elapsed.count(), OutlookCalls(), report.Counts()};
}

void EditOneContact(const std::wstring& entryId) {
  contact_core::OutlookSession session;
  session.OpenContacts();
  const IDispatchPtr contact = session.FindContact(_bstr_t(entryId.c_str()));
  contact_core::WriteContactProperty(contact, contact_core::FieldId::Title, _bstr_t(L"Changed"));
  contact_core::CallMethod(contact, contact_core::ContactInterface(), "Save");
}

// The shared machine's speed drifts: each size is synchronised in several
// rounds (three unless --rounds says otherwise), from a fresh device and
// state each time, and the median printed.
constexpr int kDefaultRounds = 3;

Measured Median(std::vector<Measured> rounds) {
  std::sort(rounds.begin(), rounds.end(),
            [](const Measured& a, const Measured& b) { return a.milliseconds < b.milliseconds; });
  return rounds[rounds.size() / 2];
}

void Print(int contacts, const char* what, const Measured& measured) {
  std::printf("%8d  %-20s %10.1f %8.3f %14ld %12.1f   sent %d, received %d\n", contacts, what, measured.milliseconds,
              measured.milliseconds / contacts, measured.outlookCalls,
              static_cast<double>(measured.outlookCalls) / contacts, measured.counts.sent, measured.counts.received);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  int rounds = kDefaultRounds;
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else {
      sizes.push_back(std::atoi(argv[i]));
    }
  }
  if (rounds < 1 || std::any_of(sizes.begin(), sizes.end(), [](int size) { return size < 1; })) {
    std::fprintf(stderr, "usage: sync_host_benchmark.exe [--rounds N] [contacts...]\n");
    return 2;
  }
  if (sizes.empty()) sizes = {100, 1000, 10000};
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int exitCode = 0;
  try {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) / (L"qm-sync-benchmark-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    outlook_standin::UseStoreFile(folder / L"contacts.olstore");
    const test_support::ServedStandin server;
    Provider provider;

    std::printf("contacts  synchronisation         wall ms   ms/contact  Outlook calls  per contact   (median of %d)\n",
                rounds);
    for (const int contacts : sizes) {
      std::vector<outlook_standin::FolderItem> items(static_cast<std::size_t>(contacts));
      for (int i = 0; i < contacts; ++i) {
        items[i].contact.Set(L"LastName", L"Contact " + std::to_wstring(i));
        items[i].contact.Set(L"Email1Address", L"contact" + std::to_wstring(i) + L"@example.org");
      }
      const auto device = folder / (L"device-" + std::to_wstring(contacts) + L".dvc");
      const auto state = folder / (L"device-" + std::to_wstring(contacts) + L".partnership");
      std::vector<Measured> first, changed;
      for (int round = 0; round < rounds; ++round) {
        outlook_standin::SeedFolder(items);
        std::filesystem::remove(device);
        std::filesystem::remove(state);
        first.push_back(Synchronise(provider, device, state));
        EditOneContact(outlook_standin::FolderContents()[static_cast<std::size_t>(contacts / 2)].entryId);
        changed.push_back(Synchronise(provider, device, state));
      }
      Print(contacts, "first", Median(first));
      Print(contacts, "one contact changed", Median(changed));
    }
    std::filesystem::remove_all(folder);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "benchmark failed: %s\n", error.what());
    exitCode = 1;
  }
  CoUninitialize();
  return exitCode;
}
