#include "sync_host_fixture.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <iterator>
#include <thread>

#include "contact_mapping.h"
#include "outlook_dispatch.h"
#include "outlook_session.h"
#include "record_named.h"

namespace sync_host_testing {
namespace {

std::wstring WideName(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

void OpenDesktop(contact_core::OutlookSession& session) {
  session.OpenContacts();
  if (!session.HasOpenCollection()) throw std::runtime_error("the stand-in's Contacts folder cannot be opened");
}

struct WindowSearch {
  DWORD processId;
  HWND found = nullptr;
};

BOOL CALLBACK FindOptionsDialog(HWND window, LPARAM search) {
  auto& wanted = *reinterpret_cast<WindowSearch*>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  if (owner == wanted.processId && std::wstring_view(title) == L"Sync Options" && IsWindowVisible(window)) {
    wanted.found = window;
    return FALSE;
  }
  return TRUE;
}

IDispatchPtr FindOnDesktop(contact_core::OutlookSession& session, const std::wstring& entryId) {
  IDispatchPtr contact = session.FindContact(_bstr_t(entryId.c_str()));
  if (!contact) throw std::runtime_error("no desktop contact has the EntryID");
  return contact;
}

}  // namespace

outlook_standin::FolderItem FullContact(const std::wstring& lastName, const std::wstring& firstName) {
  outlook_standin::FolderItem item;
  for (std::size_t i = 1; i < contact_core::kContactFieldCount; ++i) {
    item.contact.Set(WideName(contact_core::kContactFields[i].name), L"");
  }
  item.contact.Set(L"LastName", lastName);
  item.contact.Set(L"FirstName", firstName);
  return item;
}

std::u16string Text(const ContactRecord& record, FieldId field) { return std::u16string(record.Text(field)); }

std::string Summary(const std::string& output) {
  const auto done = output.rfind("Done: ");
  if (done == std::string::npos) return "no summary in:\n" + output;
  const auto end = output.find(".\n", done);
  return output.substr(done + 6, end == std::string::npos ? std::string::npos : end - done - 6);
}

std::vector<std::wstring> Fail(outlook_standin::OutlookCall call, long occurrence, HRESULT result,
                               const wchar_t* property, bool sticky) {
  wchar_t hex[16];
  swprintf(hex, std::size(hex), L"%08lX", static_cast<unsigned long>(result));
  return {sticky ? L"failall" : L"fail", std::to_wstring(static_cast<int>(call)), std::to_wstring(occurrence), hex, property};
}

HWND OptionsDialogOf(standin_testing::ChildProcess& host) {
  WindowSearch search{host.Id()};
  for (int tries = 0; tries < 600 && !search.found && !host.HasEnded(); ++tries) {
    EnumWindows(FindOptionsDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return search.found;
}

std::vector<std::wstring> EndAt(outlook_standin::OutlookCall call, long occurrence, const wchar_t* property) {
  return {L"end", std::to_wstring(static_cast<int>(call)), std::to_wstring(occurrence), property};
}

void SyncHostTest::SetUp() {
  OutlookTest::SetUp();
  // SyncHost's provider reaches the registered stand-in, which finds this
  // process's store file through the environment the host inherits.
  ASSERT_TRUE(SetEnvironmentVariableW(L"OUTLOOK_STANDIN_STORE", outlook_standin::StoreFile().c_str()));
}

std::vector<std::wstring> SyncHostTest::HostArguments(std::vector<std::wstring> options) const {
  options.insert(options.begin(), {L"--device", device_.wstring()});
  return options;
}

standin_testing::Finished SyncHostTest::Sync(std::vector<std::wstring> options) {
  return standin_testing::Run(standin_testing::ProgramBesideTest(L"SyncHost.exe"), HostArguments(std::move(options)));
}

standin_testing::Finished SyncHostTest::SyncWithFaults(const std::vector<std::wstring>& faults, const wchar_t* policy) {
  std::vector<std::wstring> args = {device_.wstring(), state_.wstring(), policy};
  args.insert(args.end(), faults.begin(), faults.end());
  return standin_testing::Run(standin_testing::ProgramBesideTest(L"sync_chaos_host.exe"), args);
}

std::vector<device::Entry> SyncHostTest::DeviceEntries() const {
  if (!std::filesystem::exists(device_)) return {};
  return device::DeviceStore(device_, device::DeviceStore::Access::Read).Entries();
}

device::DeviceStore SyncHostTest::OpenDevice() const { return device::DeviceStore(device_, device::DeviceStore::Access::Change); }

std::uint32_t SyncHostTest::AddOnDevice(const std::wstring& lastName, const std::wstring& firstName) {
  const auto record = standin_testing::RecordNamed(std::u16string(lastName.begin(), lastName.end()),
                                                   std::u16string(firstName.begin(), firstName.end()));
  return OpenDevice().Add(record, {.changed = true});
}

void SyncHostTest::EditOnDevice(std::uint32_t objectId, FieldId field, const std::u16string& text) {
  auto store = OpenDevice();
  ContactRecord record = store.Find(objectId).value().record;
  record.SetText(field, text);
  store.Put(objectId, record, {.changed = true});
}

void SyncHostTest::DeleteOnDevice(std::uint32_t objectId) { OpenDevice().SetMarks(objectId, {.deleted = true}); }

std::uint32_t SyncHostTest::DeviceIdOf(const std::wstring& entryId) const {
  for (const auto& entry : DeviceEntries()) {
    if (entry.record.Text(FieldId::EntryID) == std::u16string_view(reinterpret_cast<const char16_t*>(entryId.data()), entryId.size())) {
      return entry.objectId;
    }
  }
  ADD_FAILURE() << "no device contact holds the desktop contact";
  return 0;
}

std::vector<ContactRecord> SyncHostTest::DesktopRecords() const {
  contact_core::OutlookSession session;
  OpenDesktop(session);
  std::vector<ContactRecord> records;
  for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
    contact_core::ReadContactOrRaise(contact, records.emplace_back());
  }
  return records;
}

ContactRecord SyncHostTest::DesktopRecord(const std::wstring& entryId) const {
  contact_core::OutlookSession session;
  OpenDesktop(session);
  ContactRecord record;
  contact_core::ReadContactOrRaise(FindOnDesktop(session, entryId), record);
  return record;
}

std::wstring SyncHostTest::AddOnDesktop(const std::wstring& lastName) {
  contact_core::OutlookSession session;
  OpenDesktop(session);
  const IDispatchPtr contact = session.AddContact();
  const auto record = standin_testing::RecordNamed(std::u16string(lastName.begin(), lastName.end()));
  contact_core::WriteContact(&record, contact);
  const _bstr_t entryId = contact_core::ReadContactProperty(contact, FieldId::EntryID);
  const wchar_t* text = entryId;
  return text ? text : L"";
}

void SyncHostTest::EditOnDesktop(const std::wstring& entryId, FieldId field, const std::wstring& text) {
  contact_core::OutlookSession session;
  OpenDesktop(session);
  const IDispatchPtr contact = FindOnDesktop(session, entryId);
  contact_core::WriteContactProperty(contact, field, _bstr_t(text.c_str()));
  contact_core::CallMethod(contact, contact_core::ContactInterface(), "Save");
}

void SyncHostTest::DeleteOnDesktop(const std::wstring& entryId) {
  contact_core::OutlookSession session;
  OpenDesktop(session);
  contact_core::CallMethod(FindOnDesktop(session, entryId), contact_core::ContactInterface(), "Delete");
}

std::vector<std::u16string> OnBothSides(const std::vector<std::wstring>& lastNames) {
  std::vector<std::u16string> names;
  for (const auto* side : {u"desktop ", u"device "}) {
    for (const auto& name : lastNames) names.push_back(side + std::u16string(name.begin(), name.end()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::u16string> SyncHostTest::LastNamesOnBothSides() const {
  std::vector<std::u16string> names;
  for (const auto& record : DesktopRecords()) names.push_back(u"desktop " + Text(record, FieldId::LastName));
  for (const auto& entry : DeviceEntries()) names.push_back(u"device " + Text(entry.record, FieldId::LastName));
  std::sort(names.begin(), names.end());
  return names;
}

void SyncHostTest::ExpectConverged() {
  std::vector<std::u16string> desktop;
  for (const auto& record : DesktopRecords()) desktop.push_back(Content(record));
  std::vector<std::u16string> device;
  for (const auto& entry : DeviceEntries()) {
    EXPECT_EQ(entry.marks, device::Marks{}) << "device contact " << entry.objectId << " still carries a mark";
    device.push_back(Content(entry.record));
  }
  std::sort(desktop.begin(), desktop.end());
  std::sort(device.begin(), device.end());
  EXPECT_EQ(desktop, device) << "the two sides differ";
  EXPECT_EQ(std::adjacent_find(device.begin(), device.end()), device.end()) << "a contact is there twice";
  const auto again = Sync();
  EXPECT_EQ(again.exitCode, 0u) << again.output;
  EXPECT_EQ(Summary(again.output), "sent 0, received 0, deleted 0, conflicts 0, skipped 0, failed 0") << again.output;
}

}  // namespace sync_host_testing
