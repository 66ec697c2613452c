// SyncHost: plays the desktop sync service manager for one connection with
// a simulated device. It finds the provider registered for contacts, loads
// it through COM, and drives it as the service manager does.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "call_trace.h"
#include "change_poller.h"
#include "command_line.h"
#include "console_text.h"
#include "device_store.h"
#include "outlook_session.h"
#include "progress_line.h"
#include "provider_connection.h"
#include "provider_discovery.h"
#include "stop_request.h"
#include "synchronisation.h"
#include "terminal.h"

namespace {

using sync_host::HostOptions;

constexpr int kAllDone = 0;
constexpr int kLeftUndone = 1;
constexpr int kNotUnderstood = 2;

class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {
    if (FAILED(result_)) throw sync_host::HostError("COM could not be initialised: " + console_text::SystemErrorText(result_));
  }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

void Problem(const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "SyncHost: %s\n", text.c_str());
}

// The provider's dialog answers S_OK whether or not it could show itself, so
// the host finds out beforehand whether a window can be made at all (there is
// none without a display).
std::optional<std::string> WhyNoWindowCanOpen() {
  const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
  if (probe != nullptr) {
    DestroyWindow(probe);
    return std::nullopt;
  }
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? console_text::Win32ErrorText(error) : std::string("no display to show it on");
}

// The provider says nothing of what it removed, so the host counts the items
// of Outlook's Contacts folder before and after; nothing when Outlook cannot
// be reached.
std::optional<long> DesktopItemCount() {
  try {
    contact_core::OutlookSession session;
    const long items = session.OpenContacts();
    if (!session.HasOpenCollection()) return std::nullopt;
    return items;
  } catch (const _com_error&) {
    return std::nullopt;
  }
}

// Answers whether the operation was done. A provider that does not offer it
// leaves the work undone; a provider that fails stops the run.
bool RunOptionalOperation(const char* what, HRESULT result) {
  if (result == E_NOTIMPL) {
    Problem(std::string("the provider does not offer ") + what + "; it was not done");
    return false;
  }
  if (FAILED(result)) {
    throw sync_host::HostError(std::string("the provider's ") + what + " failed: " + console_text::SystemErrorText(result));
  }
  return true;
}

void RemoveDuplicates(sync_host::ProviderConnection& connection, bool& allDone) {
  const auto before = DesktopItemCount();
  if (!RunOptionalOperation("duplicate removal", connection.RemoveDuplicates())) {
    allDone = false;
    return;
  }
  const auto after = DesktopItemCount();
  if (!before || !after) {
    std::printf("Duplicate removal done; Outlook's Contacts folder could not be counted, so how many were removed "
                "is not known.\n");
  } else if (*before == *after) {
    std::printf("Duplicate removal: no duplicate contacts on the desktop (%ld items in the Contacts folder).\n", *after);
  } else {
    std::printf("Duplicate removal: %ld duplicate contact%s removed from the desktop; %ld items are left in the "
                "Contacts folder.\n",
                *before - *after, *before - *after == 1 ? "" : "s", *after);
  }
}

// The device connected for as long as the object lives (RSC_CONNECTION_CHG).
class DeviceConnected {
 public:
  explicit DeviceConnected(sync_host::ProviderConnection& connection) : connection_(connection) {
    connection_.ReportStatus(RSC_CONNECTION_CHG, nullptr, TRUE);
  }
  ~DeviceConnected() { connection_.ReportStatus(RSC_CONNECTION_CHG, nullptr, FALSE); }
  DeviceConnected(const DeviceConnected&) = delete;
  DeviceConnected& operator=(const DeviceConnected&) = delete;

 private:
  sync_host::ProviderConnection& connection_;
};

// One synchronisation; answers whether everything was done. The device
// store is open only meanwhile, so DeviceTool may change it between two.
bool SynchroniseOnce(sync_host::ProviderConnection& connection, const HostOptions& options,
                     const sync_host::StopRequest& stop, bool autoStarted) {
  device::DeviceStore device = sync_host::OpenDevice(connection, options.device);
  console::ProgressLine progress([](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); },
                                 console::StandardErrorIsTerminal() && !options.quiet && !options.trace);
  sync_host::SyncReport report(options.quiet ? nullptr : stdout, stderr, &progress);
  bool allDone = true;
  sync_host::Synchronise(connection, device,
                         {.stateFile = options.state,
                          .policy = options.policy,
                          .dateChanged = options.dateChanged && !autoStarted,
                          .autoStarted = autoStarted,
                          .showOptions = options.optionsDialog && !autoStarted
                                             ? std::function<void(std::span<const HREPLITEM>)>(
                                                   [&](std::span<const HREPLITEM> kept) {
                                                     allDone &= RunOptionalOperation(
                                                         "an options dialog",
                                                         connection.ShowOptionsDialog(GetConsoleWindow(), kept));
                                                   })
                                             : nullptr,
                          .removeDuplicates = options.removeDuplicates
                                                  ? std::function<void()>([&] { RemoveDuplicates(connection, allDone); })
                                                  : nullptr,
                          .stopRequested = [&stop] { return stop.Requested(); }},
                         report);
  progress.Clear();
  std::printf("Done: %s.\n", report.Summary().c_str());
  std::fflush(stdout);
  if (report.WorkLeftUndone()) {
    Problem("not everything was synchronised: " + report.Undone() +
            (report.Counts().unsettled > 0 ? "; --conflicts desktop or device settles a conflict" : "") + ".");
    allDone = false;
  }
  return allDone;
}

// Keeps synchronising at each change the polling finds (`changed`), until
// stopped. Without a polling thread the polling is done here.
int Watch(sync_host::ProviderConnection& connection, const HostOptions& options, const sync_host::StopRequest& stop,
          HANDLE changed, bool pollerRuns, int exitCode) {
  const unsigned interval = connection.PollInterval();
  std::printf("Watching the desktop's contacts for changes every %u ms; Ctrl+C stops.\n", interval);
  std::fflush(stdout);
  const HANDLE events[] = {stop.Event(), changed};
  for (;;) {
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, pollerRuns ? INFINITE : interval);
    if (woken == WAIT_OBJECT_0) break;
    if (woken == WAIT_TIMEOUT && !connection.FolderChanged()) continue;
    if (woken != WAIT_OBJECT_0 + 1 && woken != WAIT_TIMEOUT) {
      throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "WaitForMultipleObjects");
    }
    std::printf("The desktop's contacts changed; synchronising.\n");
    try {
      exitCode = SynchroniseOnce(connection, options, stop, true) ? kAllDone : kLeftUndone;
    } catch (const device::StoreError& error) {
      // The device is busy (DeviceTool at work): the next change tries again.
      Problem(std::string("not synchronised: ") + error.what());
      exitCode = kLeftUndone;
    }
  }
  std::printf("Stopped.\n");
  return exitCode;
}

int Run(const HostOptions& options) {
  const ComApartment apartment;
  auto provider = sync_host::CreateRegisteredProvider(L"Contact");
  const IReplStorePtr store = options.trace ? sync_host::TracedStore(provider.store, stdout) : provider.store;
  sync_host::ProviderConnection connection(store, {.remote = options.remote});
  std::printf("Connected to %s (%s).\n", connection.Description().c_str(), connection.ProgId().c_str());
  bool allDone = true;
  if (options.optionsDialog) {
    if (const auto reason = WhyNoWindowCanOpen()) {
      Problem("the Sync Options dialog cannot open (" + *reason +
              "); nothing was synchronised. Run with a display, or without --options.");
      return kLeftUndone;
    }
    // A synchronisation shows it with the handles it keeps, once restored.
    if (!options.synchronise) {
      allDone &= RunOptionalOperation("an options dialog", connection.ShowOptionsDialog(GetConsoleWindow(), {}));
    }
  }
  if (options.unpair) {
    connection.ReportTypeStatus(RSC_OBJ_TYPE_DISABLED);
    std::error_code ignored;
    const bool forgotten = std::filesystem::remove(options.state, ignored);
    std::printf("%s\n", forgotten ? "The partnership with the device ended; both sides keep their contacts."
                                    : "There was no partnership with the device to end.");
  }
  if (!options.synchronise) {
    if (options.removeDuplicates) RemoveDuplicates(connection, allDone);
    return allDone ? kAllDone : kLeftUndone;
  }

  if (options.watch && connection.PollInterval() == 0) {
    throw sync_host::HostError("the provider does not ask to be polled for changes, so --watch has nothing to watch");
  }
  const sync_host::StopRequest stop;
  const DeviceConnected connected(connection);
  const HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (changed == nullptr) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEvent");
  const std::unique_ptr<void, decltype(&CloseHandle)> closeChanged(changed, CloseHandle);
  // Polled from the start, during synchronisations too, as the service
  // manager does; a store that takes calls from one thread only is polled
  // by --watch between synchronisations instead.
  std::unique_ptr<sync_host::ChangePoller> poller;
  if (connection.PollInterval() != 0 && !connection.SingleThreaded()) {
    poller = std::make_unique<sync_host::ChangePoller>(connection, connection.PollInterval(), changed);
  }
  allDone &= SynchroniseOnce(connection, options, stop, false);
  const int exitCode = allDone ? kAllDone : kLeftUndone;
  if (!options.watch || stop.Requested()) return exitCode;
  return Watch(connection, options, stop, changed, poller != nullptr, exitCode);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  console_text::UseUtf8Output();
  const std::vector<std::wstring_view> args(argv + 1, argv + argc);
  try {
    const HostOptions options = sync_host::ParseCommandLine(args);
    if (options.help) {
      std::fputs(sync_host::kUsage, stdout);
      return kAllDone;
    }
    return Run(options);
  } catch (const sync_host::UsageError& error) {
    std::fprintf(stderr, "SyncHost: %s\n\n%s", error.what(), sync_host::kUsage);
    return kNotUnderstood;
  } catch (const std::exception& error) {
    Problem(error.what());
    return kLeftUndone;
  }
}
