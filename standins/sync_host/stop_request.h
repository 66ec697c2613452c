// A request to stop SyncHost: Ctrl+C or Ctrl+Break in its console, or the
// named event "SyncHost.Stop.<process id>" set by another program (a test, a
// script). A synchronisation under way stops after the contact at hand.
#pragma once

#include <windows.h>

namespace sync_host {

class StopRequest {
 public:
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  HANDLE Event() const { return event_; }
  bool Requested() const { return WaitForSingleObject(event_, 0) == WAIT_OBJECT_0; }

 private:
  HANDLE event_;
};

}  // namespace sync_host
