// OutlookStandin.exe's server loop: the application class and the private
// control class served to other processes from this single-threaded
// apartment, one process for every client, as Outlook serves its clients.
#pragma once

#include <windows.h>

#include <optional>

#include "interface_anchors.h"

namespace outlook_standin {

class LocalServer {
 public:
  // Anchors the interfaces it serves (interface_anchors.h) and registers both
  // class objects (CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE).
  // COM must be initialised on the thread as a single-threaded apartment.
  // Raises _com_error when the thread cannot make windows, which carry the
  // apartment's calls (under Wine: when there is no display).
  LocalServer();
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // Pumps messages, which carry the clients' calls, until the last client
  // has released everything it held and none came back for a moment; or,
  // when no client ever comes, until a longer wait has passed. Then revokes
  // the classes and serves the calls of clients that still found them.
  void Run();

 private:
  void RevokeClasses();

  std::optional<InterfaceAnchors> anchors_;
  DWORD applicationCookie_ = 0;
  DWORD controlCookie_ = 0;
};

}  // namespace outlook_standin
