// Where a test's Outlook stand-in runs: served from the test's own process
// (the default), or, when the environment variable QM_OUTLOOK_SERVER is
// "local", the local server OutlookStandin.exe that COM starts in a process of
// its own, as it starts Outlook. The control surface (outlook_standin.h)
// steers whichever it is.
#pragma once

#include <optional>

#include "outlook_standin.h"

namespace test_support {

bool LocalServerChosen();

class ServedStandin {
 public:
  // COM must be initialised on the thread; the store file chosen already.
  ServedStandin();
  ServedStandin(const ServedStandin&) = delete;
  ServedStandin& operator=(const ServedStandin&) = delete;

  // The local server's control; null when the stand-in is in process.
  outlook_standin::LocalServerControl* LocalServer() { return localServer_ ? &*localServer_ : nullptr; }

 private:
  std::optional<outlook_standin::InProcessServer> inProcess_;
  std::optional<outlook_standin::LocalServerControl> localServer_;
};

}  // namespace test_support
