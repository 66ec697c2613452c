// SyncHost: plays the desktop sync service manager for one connection with
// a simulated device. It finds the provider registered for contacts, loads
// it through COM, and drives it as the service manager does.
#include <windows.h>

#include <cstdio>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "console_text.h"
#include "device_store.h"
#include "provider_connection.h"
#include "provider_discovery.h"
#include "synchronisation.h"

namespace {

using sync_host::HostOptions;

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

// A provider that does not offer an operation is no failure of the host.
void ReportOptionalOperation(const char* what, HRESULT result) {
  if (result == E_NOTIMPL) {
    std::printf("The provider does not offer %s.\n", what);
  } else if (FAILED(result)) {
    throw sync_host::HostError(std::string("the provider's ") + what + " failed: " + console_text::SystemErrorText(result));
  }
}

int Run(const HostOptions& options) {
  const ComApartment apartment;
  auto provider = sync_host::CreateRegisteredProvider(L"Contact");
  sync_host::ProviderConnection connection(provider.store);
  std::printf("Connected to %s (%s).\n", connection.Description().c_str(), connection.ProgId().c_str());
  if (options.optionsDialog) {
    ReportOptionalOperation("an options dialog", connection.ShowOptionsDialog(GetConsoleWindow()));
  }
  if (options.removeDuplicates) {
    ReportOptionalOperation("duplicate removal", connection.RemoveDuplicates());
    std::printf("Duplicate contacts removed from the desktop.\n");
  }
  if (!options.synchronise) return 0;

  device::DeviceStore device(options.device, device::DeviceStore::Access::Change);
  sync_host::SyncReport report(options.quiet ? nullptr : stdout);
  sync_host::Synchronise(connection, device, {.stateFile = options.state, .policy = options.policy}, report);
  std::printf("Done: %s.\n", report.Summary().c_str());
  return report.Counts().failed > 0 ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  console_text::UseUtf8Output();
  const std::vector<std::wstring_view> args(argv + 1, argv + argc);
  try {
    const HostOptions options = sync_host::ParseCommandLine(args);
    if (options.help) {
      std::fputs(sync_host::kUsage, stdout);
      return 0;
    }
    return Run(options);
  } catch (const sync_host::UsageError& error) {
    std::fprintf(stderr, "SyncHost: %s\n\n%s", error.what(), sync_host::kUsage);
    return 2;
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "SyncHost: %s\n", error.what());
    return 1;
  }
}
