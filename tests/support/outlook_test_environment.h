// What every test that talks to Outlook shares: COM initialised on the main
// thread, the Outlook stand-in served from inside the test process (or by the
// local server, see served_standin.h) with its folder in a file of this
// process's own, and a fixture that starts each test
// with an empty folder, no faults and zeroed call counters.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "outlook_standin.h"

namespace test_support {

// A contact with the given properties set, all others never set.
outlook_standin::FolderItem ContactWith(
    std::initializer_list<std::pair<std::wstring_view, std::wstring>> properties);
outlook_standin::FolderItem DistributionList();

// The local server's control when the tests run against it
// (QM_OUTLOOK_SERVER=local), else null.
outlook_standin::LocalServerControl* LocalServer();
// Outlook goes away and can be started again: the local server's process is
// killed, or the stand-in in this process restarts (RestartOutlook).
void OutlookGoesAway();

class OutlookTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Seeds the folder and answers the EntryIDs the stand-in gave the items.
  std::vector<std::wstring> Seed(const std::vector<outlook_standin::FolderItem>& items);
};

}  // namespace test_support
