// Real-time change detection for a store that asks the service manager to
// simulate it (SCF_SIMULATE_RTS): a thread of its own, in a COM apartment of
// its own, asks IsFolderChanged at the interval the store gave and signals an
// event when the desktop changed. It never synchronises itself: the host's
// main thread does, one synchronisation at a time. While one runs the store
// answers that nothing changed.
#pragma once

#include <windows.h>

#include <thread>

#include "provider_connection.h"

namespace sync_host {

class ChangePoller {
 public:
  // Polls `connection` every `intervalMs` until destroyed; each change found
  // sets `changed`.
  ChangePoller(ProviderConnection& connection, unsigned intervalMs, HANDLE changed);
  ~ChangePoller();
  ChangePoller(const ChangePoller&) = delete;
  ChangePoller& operator=(const ChangePoller&) = delete;

 private:
  void Poll() noexcept;

  ProviderConnection& connection_;
  unsigned intervalMs_;
  HANDLE changed_;
  HANDLE stop_;
  std::thread thread_;
};

}  // namespace sync_host
