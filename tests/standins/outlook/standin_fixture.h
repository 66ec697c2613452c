// A test with COM initialised (multithreaded apartment), the stand-in
// served from this process (or by the local server, see served_standin.h)
// over an empty store file of its own, and a check that the test released
// every stand-in object it was given.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "com_pointers.h"
#include "outlook_standin.h"
#include "served_standin.h"

namespace outlook_standin::testing {

// A store file path of its own for this process and `name`; no file yet.
std::filesystem::path FreshStoreFile(std::wstring_view name);

// A contact with only its first name set.
FolderItem ContactNamed(std::wstring firstName);
// A distribution list: an item of the folder that is not a contact.
FolderItem DistributionListItem();

class StandinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Outlook.Application created through COM, as clients create it.
  IDispatchPtr CreateApplication();
  // Application → "MAPI" namespace → Contacts folder.
  IDispatchPtr ContactsFolder();
  // A new Items collection of the Contacts folder.
  IDispatchPtr NewItems();

  // The local server's control; null when the stand-in is in process.
  LocalServerControl* LocalServer() { return server_ ? server_->LocalServer() : nullptr; }

  std::filesystem::path storeFile_;

 private:
  std::optional<test_support::ServedStandin> server_;
  long liveObjectsBefore_ = 0;
};

}  // namespace outlook_standin::testing
