// SyncHost: plays the desktop sync service manager for one connection with
// a simulated device. It finds the provider registered for contacts, loads
// it through COM, and drives it as the service manager does.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "console_text.h"
#include "device_store.h"
#include "outlook_session.h"
#include "progress_line.h"
#include "provider_connection.h"
#include "provider_discovery.h"
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

int Run(const HostOptions& options) {
  const ComApartment apartment;
  auto provider = sync_host::CreateRegisteredProvider(L"Contact");
  sync_host::ProviderConnection connection(provider.store);
  std::printf("Connected to %s (%s).\n", connection.Description().c_str(), connection.ProgId().c_str());
  bool allDone = true;
  if (options.optionsDialog) {
    if (const auto reason = WhyNoWindowCanOpen()) {
      Problem("the Sync Options dialog cannot open (" + *reason +
              "); nothing was synchronised. Run with a display, or without --options.");
      return kLeftUndone;
    }
    allDone &= RunOptionalOperation("an options dialog", connection.ShowOptionsDialog(GetConsoleWindow()));
  }
  if (options.removeDuplicates) RemoveDuplicates(connection, allDone);
  if (!options.synchronise) return allDone ? kAllDone : kLeftUndone;

  device::DeviceStore device(options.device, device::DeviceStore::Access::Change);
  console::ProgressLine progress([](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); },
                                 console::StandardErrorIsTerminal() && !options.quiet);
  sync_host::SyncReport report(options.quiet ? nullptr : stdout, stderr, &progress);
  sync_host::Synchronise(connection, device, {.stateFile = options.state, .policy = options.policy}, report);
  progress.Clear();
  std::printf("Done: %s.\n", report.Summary().c_str());
  if (report.WorkLeftUndone()) {
    Problem("not everything was synchronised: " + report.Undone() +
            (report.Counts().unsettled > 0 ? "; --conflicts desktop or device settles a conflict" : "") + ".");
    allDone = false;
  }
  return allDone ? kAllDone : kLeftUndone;
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
