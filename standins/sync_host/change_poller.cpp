#include "change_poller.h"

#include <cstdio>
#include <exception>
#include <system_error>

#include "console_text.h"

namespace sync_host {

ChangePoller::ChangePoller(ProviderConnection& connection, unsigned intervalMs, HANDLE changed)
    : connection_(connection), intervalMs_(intervalMs), changed_(changed), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (stop_ == nullptr) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEvent");
  thread_ = std::thread([this] { Poll(); });
}

ChangePoller::~ChangePoller() {
  SetEvent(stop_);
  thread_.join();
  CloseHandle(stop_);
}

void ChangePoller::Poll() noexcept {
  const HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(apartment)) {
    std::fprintf(stderr, "SyncHost: no COM apartment for polling: %s\n", console_text::SystemErrorText(apartment).c_str());
    return;
  }
  while (WaitForSingleObject(stop_, intervalMs_) == WAIT_TIMEOUT) {
    try {
      if (connection_.FolderChanged()) SetEvent(changed_);
    } catch (const std::exception& error) {
      // The next poll tries again; a synchronisation started by hand is not affected.
      std::fprintf(stderr, "SyncHost: polling for changes failed: %s\n", error.what());
    }
  }
  CoUninitialize();
}

}  // namespace sync_host
