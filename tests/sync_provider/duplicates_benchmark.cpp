// How long RemoveDuplicates takes on folders of 100, 1,000 and 5,000
// contacts of which a tenth are copies of others, with the Outlook calls it
// makes, next to the restarting scan it replaced (each deletion restarts from
// the top, each pair is read through Outlook) on the folders where that scan
// ends in reasonable time. Both must leave the same folder. Not a test.
//
//   PelloquinDuplicatesBenchmark.exe [largest folder for the restarting scan, default 100]
//   (under Wine: tools/wine-run --prefix DIR PelloquinDuplicatesBenchmark.exe)
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "com_support.h"
#include "outlook_standin.h"
#include "restarting_duplicate_scan.h"
#include "service_manager_contract.h"
#include "store.h"

namespace {

using Clock = std::chrono::steady_clock;
using outlook_standin::FolderItem;
using outlook_standin::OutlookCall;

long OutlookCalls() {
  long calls = 0;
  for (int call = static_cast<int>(OutlookCall::CreateApplication);
       call <= static_cast<int>(outlook_standin::kLastOutlookCall); ++call) {
    calls += outlook_standin::CallCount(static_cast<OutlookCall>(call));
  }
  return calls;
}

// `count` contacts in random order, a tenth of them copies of others.
std::vector<FolderItem> FolderWithDuplicates(int count) {
  static const wchar_t* const first_names[] = {L"Anna", L"Karl", L"Lena", L"Olof", L"Sara", L"Nils", L"Ida", L"Erik"};
  std::mt19937 random(static_cast<unsigned>(count));
  std::vector<FolderItem> folder;
  const int originals = count - count / 10;
  for (int index = 0; index < originals; ++index) {
    FolderItem item;
    item.contact.Set(L"FirstName", first_names[index % 8]);
    item.contact.Set(L"LastName", L"Name" + std::to_wstring(index));
    item.contact.Set(L"CompanyName", L"Company " + std::to_wstring(index % 37));
    item.contact.Set(L"Email1Address", L"person" + std::to_wstring(index) + L"@example.com");
    item.contact.Set(L"BusinessTelephoneNumber", L"+46 8 " + std::to_wstring(100000 + index));
    folder.push_back(item);
  }
  for (int copy = 0; copy < count / 10; ++copy) {
    const auto original = std::uniform_int_distribution<std::size_t>(0, folder.size() - 1)(random);
    const auto at = std::uniform_int_distribution<std::size_t>(0, folder.size())(random);
    FolderItem duplicate;
    duplicate.contact = folder[original].contact;
    folder.insert(folder.begin() + static_cast<std::ptrdiff_t>(at), duplicate);
  }
  return folder;
}

struct Run {
  double seconds;
  long calls;
  long property_reads;
  std::vector<std::wstring> left;  // EntryIDs, in folder order
};

// Seeds the folder, opens it through a new store as the service manager's
// first IsFolderChanged would, and times `removal` alone.
template <class Removal>
Run Measure(const std::vector<FolderItem>& folder, Removal removal) {
  outlook_standin::SeedFolder(folder);
  IClassFactoryPtr factory;
  DllGetClassObject(CLSID_NULL, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  IReplStore* created = nullptr;
  factory->CreateInstance(nullptr, IID_IReplStore, reinterpret_cast<void**>(&created));
  auto* store = static_cast<pelloquin::CStore*>(created);
  store->Initialize(nullptr, 0);
  HREPLFLD folder_handle = nullptr;
  IUnknown* handler = nullptr;
  store->GetFolderInfo("Contact", &folder_handle, &handler);
  BOOL changed = FALSE;
  store->IsFolderChanged(folder_handle, &changed);
  outlook_standin::ResetCallCounts();

  const auto start = Clock::now();
  removal(*store);
  Run run{std::chrono::duration<double>(Clock::now() - start).count(), OutlookCalls(),
          outlook_standin::CallCount(OutlookCall::PropertyGet), {}};
  for (const FolderItem& item : outlook_standin::FolderContents()) run.left.push_back(item.entryId);

  store->FreeObject(reinterpret_cast<HREPLOBJ>(folder_handle));
  store->ReportStatus(nullptr, nullptr, RSC_RELEASE, 0);
  store->Release();
  return run;
}

void Print(const char* what, int contacts, const Run& run) {
  std::printf("  %-16s %5d contacts  %9.3f s  %11ld Outlook calls  %11ld property reads  %6zu left\n", what,
              contacts, run.seconds, run.calls, run.property_reads, run.left.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int largest_for_scan = argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 100;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path store_file = std::filesystem::path(temp) / L"pelloquin-duplicates-benchmark.olstore";
  outlook_standin::UseStoreFile(store_file);
  {
    const outlook_standin::InProcessServer server;
    std::printf("RemoveDuplicates against the in-process Outlook stand-in, a tenth of each folder duplicates:\n");
    for (const int contacts : {100, 1000, 5000}) {
      // Seeded once for its EntryIDs, so that both runs start from the same folder.
      outlook_standin::SeedFolder(FolderWithDuplicates(contacts));
      const std::vector<FolderItem> folder = outlook_standin::FolderContents();
      const Run one_pass = Measure(folder, [](pelloquin::CStore& store) { store.RemoveDuplicates("Contact", 0); });
      Print("one pass", contacts, one_pass);
      if (contacts > largest_for_scan) {
        std::printf("  %-16s %5d contacts  not run: its cost grows with the cube of the folder\n", "restarting scan",
                    contacts);
        continue;
      }
      const Run scan = Measure(folder, pelloquin::test::RemoveDuplicatesByRestartingScan);
      Print("restarting scan", contacts, scan);
      std::printf("  %-16s %s\n", "", scan.left == one_pass.left ? "both leave the same contacts in the same order"
                                                                   : "THE TWO LEAVE DIFFERENT FOLDERS");
    }
  }
  std::error_code ignored;
  std::filesystem::remove(store_file, ignored);
  CoUninitialize();
  return 0;
}
