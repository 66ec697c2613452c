// What the end-to-end tests of SyncHost share. The real SyncHost.exe runs as
// a child process in a Wine prefix where Pelloquin.dll and OutlookStandin.dll
// are registered; the child's stand-in and this process's stand-in keep one
// Contacts folder in this process's store file, which the child finds through
// OUTLOOK_STANDIN_STORE, so the test prepares and inspects the desktop
// through its own copy while the host works through the registered one.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "contact_content.h"
#include "contact_record.h"
#include "device_store.h"
#include "outlook_standin.h"
#include "outlook_test_environment.h"

namespace sync_host_testing {

using contact_core::ContactRecord;
using contact_core::FieldId;

// A contact with every one of the 25 properties set, so that it compares
// equal to a contact written from a device record with the same texts.
outlook_standin::FolderItem FullContact(const std::wstring& lastName, const std::wstring& firstName);

using sync_host::Content;
std::u16string Text(const ContactRecord& record, FieldId field);

// "desktop Berg", "device Berg", ... for each of `lastNames`, sorted.
std::vector<std::u16string> OnBothSides(const std::vector<std::wstring>& lastNames);

// "sent 1, received 0, ..." as the host's last line reports it.
std::string Summary(const std::string& output);

// Fault words for SyncHostTest::SyncWithFaults: the `occurrence`-th call of
// `call` (naming `property`, unless it is "-") fails with `result`, with
// `sticky` every later one too; or it ends the host as a kill would.
std::vector<std::wstring> Fail(outlook_standin::OutlookCall call, long occurrence, HRESULT result,
                               const wchar_t* property = L"-", bool sticky = false);
// The "Sync Options" window that `host` shows, once it is visible; null when
// none appears within a while or the host ends first.
HWND OptionsDialogOf(standin_testing::ChildProcess& host);

std::vector<std::wstring> EndAt(outlook_standin::OutlookCall call, long occurrence, const wchar_t* property = L"-");

class SyncHostTest : public test_support::OutlookTest {
 protected:
  void SetUp() override;

  standin_testing::Finished Sync(std::vector<std::wstring> options = {});
  // One synchronisation by SyncHost's engine in a process that serves the
  // Outlook stand-in itself, with `faults` (Fail, EndAt) armed there.
  standin_testing::Finished SyncWithFaults(const std::vector<std::wstring>& faults, const wchar_t* policy = L"skip");
  std::vector<std::wstring> HostArguments(std::vector<std::wstring> options) const;

  // The device's contacts, those marked deleted included.
  std::vector<device::Entry> DeviceEntries() const;
  device::DeviceStore OpenDevice() const;
  std::uint32_t AddOnDevice(const std::wstring& lastName, const std::wstring& firstName = L"");
  void EditOnDevice(std::uint32_t objectId, FieldId field, const std::u16string& text);
  void DeleteOnDevice(std::uint32_t objectId);
  // The device contact holding the desktop contact `entryId`.
  std::uint32_t DeviceIdOf(const std::wstring& entryId) const;

  // Every contact of the desktop folder as ReadContact reads it, in folder order.
  std::vector<ContactRecord> DesktopRecords() const;
  ContactRecord DesktopRecord(const std::wstring& entryId) const;
  // A new contact with only its names, saved as a person does in Outlook;
  // answers its EntryID.
  std::wstring AddOnDesktop(const std::wstring& lastName);
  // Edits and saves one property, as a person does in Outlook.
  void EditOnDesktop(const std::wstring& entryId, FieldId field, const std::wstring& text);
  void DeleteOnDesktop(const std::wstring& entryId);

  // Every contact's last name on each side, as OnBothSides spells them.
  std::vector<std::u16string> LastNamesOnBothSides() const;

  // Both sides hold the same contacts, each once per side, no device contact
  // carries a mark, and another synchronisation carries nothing.
  void ExpectConverged();

  standin_testing::ScratchFolder folder_{L"sync-host"};
  std::filesystem::path device_ = folder_ / L"device.dvc";
  std::filesystem::path state_ = folder_ / L"device.dvc.partnership";
};

}  // namespace sync_host_testing
