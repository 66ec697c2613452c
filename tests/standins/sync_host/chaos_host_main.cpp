// One synchronisation as SyncHost runs it, in a process that serves the
// Outlook stand-in itself, so that faults can be armed in the Outlook the
// provider reaches: calls that fail, and a call that ends the process as a
// kill at that instant would.
//
//   sync_chaos_host.exe DEVICE STATE POLICY [trace] [stopafter N] [FAULT]...
//   trace: every call into the provider is printed, as SyncHost --trace does
//   stopafter N: the synchronisation is asked to stop (as Ctrl+C does) the
//          N-th time it asks whether to go on, between two contacts
//   pollduring N: instead, the N-th time it asks, another thread in an
//          apartment of its own polls IsFolderChanged once, as the service
//          manager's timer does, and the synchronisation goes on
//   FAULT: fail CALL OCCURRENCE HRESULT PROPERTY   that call fails
//          failall CALL OCCURRENCE HRESULT PROPERTY   that call and every later one fail
//          end CALL OCCURRENCE PROPERTY             that call ends the process
//
// CALL is the number of an outlook_standin::OutlookCall, HRESULT in hex and
// PROPERTY "-" for any. The store file is the one OUTLOOK_STANDIN_STORE
// names, as for SyncHost.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "call_trace.h"
#include "conflict_policy.h"
#include "device_store.h"
#include "outlook_standin.h"
#include "provider_connection.h"
#include "provider_discovery.h"
#include "synchronisation.h"

namespace {

std::vector<outlook_standin::Fault> ParseFaults(const std::vector<std::wstring>& words) {
  std::vector<outlook_standin::Fault> faults;
  for (std::size_t i = 0; i < words.size();) {
    outlook_standin::Fault fault{};
    const std::wstring& kind = words.at(i);
    fault.endsProcess = kind == L"end";
    fault.sticky = kind == L"failall";
    if (!fault.endsProcess && !fault.sticky && kind != L"fail") throw std::invalid_argument("unknown fault kind");
    fault.call = static_cast<outlook_standin::OutlookCall>(std::stoi(words.at(i + 1)));
    fault.occurrence = std::stol(words.at(i + 2));
    if (!fault.endsProcess) fault.result = static_cast<HRESULT>(std::stoul(words.at(i + 3), nullptr, 16));
    const std::wstring& property = words.at(i + (fault.endsProcess ? 3 : 4));
    if (property != L"-") fault.property = property;
    faults.push_back(fault);
    i += fault.endsProcess ? 4 : 5;
  }
  return faults;
}

void PollFromAnotherApartment(sync_host::ProviderConnection& connection) {
  std::thread poll([&] {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
    try {
      connection.FolderChanged();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "sync_chaos_host: the poll failed: %s\n", error.what());
    }
    CoUninitialize();
  });
  poll.join();
}

int Run(const std::vector<std::wstring>& args) {
  if (args.size() < 3) throw std::invalid_argument("usage: sync_chaos_host DEVICE STATE POLICY [faults]");
  const auto policy = sync_host::ParseConflictPolicy(args[2]);
  if (!policy) throw std::invalid_argument("unknown conflict policy");
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) throw std::runtime_error("COM could not be initialised");
  const outlook_standin::InProcessServer server;
  std::vector<std::wstring> words(args.begin() + 3, args.end());
  const bool trace = !words.empty() && words.front() == L"trace";
  if (trace) words.erase(words.begin());
  long askedBeforeStop = -1;
  long askedBeforePoll = -1;
  if (words.size() >= 2 && (words.front() == L"stopafter" || words.front() == L"pollduring")) {
    (words.front() == L"stopafter" ? askedBeforeStop : askedBeforePoll) = std::stol(words[1]);
    words.erase(words.begin(), words.begin() + 2);
  }
  for (const auto& fault : ParseFaults(words)) outlook_standin::ArmFault(fault);
  int exitCode = 0;
  {
    const auto provider = sync_host::CreateRegisteredProvider(L"Contact");
    sync_host::ProviderConnection connection(trace ? sync_host::TracedStore(provider.store, stdout) : provider.store);
    device::DeviceStore device = sync_host::OpenDevice(connection, args[0]);
    sync_host::SyncReport report(stdout);
    long asked = 0;
    sync_host::SyncSettings settings{.stateFile = args[1], .policy = *policy};
    if (askedBeforeStop >= 0) settings.stopRequested = [&] { return ++asked >= askedBeforeStop; };
    if (askedBeforePoll >= 0) {
      settings.stopRequested = [&] {
        if (++asked == askedBeforePoll) PollFromAnotherApartment(connection);
        return false;
      };
    }
    sync_host::Synchronise(connection, device, settings, report);
    std::printf("Done: %s.\n", report.Summary().c_str());
    exitCode = report.WorkLeftUndone() ? 1 : 0;
  }
  CoUninitialize();
  return exitCode;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return Run({argv + 1, argv + argc});
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "sync_chaos_host: %s\n", error.what());
    return 1;
  }
}
