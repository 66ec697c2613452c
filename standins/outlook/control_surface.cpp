// The control surface that tests and tools use: the store file, the folder's
// contents, call counts and faults.
#include <memory>
#include <stdexcept>

#include "call_monitor.h"
#include "com_failure.h"
#include "contacts_folder.h"
#include "dispatch_object.h"
#include "outlook_standin.h"
#include "process_ending.h"
#include "remote_control.h"

#include <utility>

namespace outlook_standin {
namespace {

// The local server's control while a LocalServerControl lives, else null.
std::unique_ptr<RemoteControl> remote;

// A server that this process (or a program it starts) brings up later finds
// the store file the way a deployed one does, through the environment.
void PassStoreFileToServers(const std::filesystem::path& file) {
  SetEnvironmentVariableW(L"OUTLOOK_STANDIN_STORE", file.c_str());
}

static_assert(journal::kPropertyCount == kWritablePropertyCount);

journal::StoredItem ToStored(const FolderItem& item) {
  journal::StoredItem stored;
  stored.kind = item.kind == ItemKind::DistributionList ? journal::StoredKind::DistributionList
                                                        : journal::StoredKind::Contact;
  stored.entryId = item.entryId;
  stored.lastModificationTime = item.lastModificationTime;
  stored.properties = item.contact.properties;
  return stored;
}

FolderItem FromStored(journal::StoredItem stored) {
  FolderItem item;
  item.kind =
      stored.kind == journal::StoredKind::DistributionList ? ItemKind::DistributionList : ItemKind::Contact;
  item.entryId = std::move(stored.entryId);
  item.lastModificationTime = stored.lastModificationTime;
  item.contact.properties = std::move(stored.properties);
  return item;
}

}  // namespace

std::filesystem::path StoreFile() {
  const auto lock = LockStandin();
  return TheContactsFolder().File(lock);
}

void UseStoreFile(const std::filesystem::path& file) {
  {
    const auto lock = LockStandin();
    TheContactsFolder().Bind(lock, file);
  }
  if (!remote) return;
  PassStoreFileToServers(file);
  remote->UseStoreFile(file);
}

void SeedFolder(const std::vector<FolderItem>& items) {
  std::vector<journal::StoredItem> stored;
  stored.reserve(items.size());
  for (const auto& item : items) stored.push_back(ToStored(item));
  const auto lock = LockStandin();
  TheContactsFolder().Seed(lock, std::move(stored));
}

void ResetFolder() {
  SeedFolder({});
  ResetCallCounts();
  DisarmFaults();
  WatchCallerLock({});
}

std::vector<FolderItem> FolderContents() {
  std::vector<journal::StoredItem> stored;
  {
    const auto lock = LockStandin();
    stored = TheContactsFolder().Contents(lock);
  }
  std::vector<FolderItem> items;
  items.reserve(stored.size());
  for (auto& item : stored) items.push_back(FromStored(std::move(item)));
  return items;
}

std::wstring StoreItem(const FolderItem& item) {
  journal::StoredItem stored = ToStored(item);
  const auto lock = LockStandin();
  try {
    TheContactsFolder().Save(lock, stored);
  } catch (const ComFailure& failure) {
    throw std::runtime_error(failure.what());
  }
  return stored.entryId;
}

void DeleteItem(const std::wstring& entryId) {
  const auto lock = LockStandin();
  try {
    TheContactsFolder().Delete(lock, entryId);
  } catch (const ComFailure& failure) {
    throw std::runtime_error(failure.what());
  }
}

void ResetCallCounts() {
  if (remote) return remote->ResetCallCounts();
  TheCallMonitor().ResetCounts();
}

long CallCount(OutlookCall call) { return remote ? remote->CallCount(call, std::nullopt) : TheCallMonitor().Count(call); }

long CallCount(OutlookCall call, std::wstring_view member) {
  return remote ? remote->CallCount(call, std::wstring(member)) : TheCallMonitor().Count(call, member);
}

void ArmFault(const Fault& fault) {
  if (remote) return remote->ArmFault(fault);
  TheCallMonitor().Arm(fault);
}

void DisarmFaults() {
  if (remote) return remote->DisarmFaults();
  TheCallMonitor().Disarm();
}

long LiveObjectCount() { return remote ? remote->LiveObjectCount() : LiveDispatchObjects(); }

void WatchCallerLock(std::wstring name) {
  if (remote) return remote->WatchCallerLock(name);
  TheCallMonitor().WatchCallerLock(std::move(name));
}

long CallsWithoutLock() { return remote ? remote->CallsWithoutLock() : TheCallMonitor().CallsWithoutLock(); }

LocalServerControl::LocalServerControl() {
  const auto file = StoreFile();
  PassStoreFileToServers(file);
  auto control = std::make_unique<RemoteControl>();
  control->UseStoreFile(file);
  remote = std::move(control);
}

LocalServerControl::~LocalServerControl() { remote.reset(); }

DWORD LocalServerControl::ServerProcessId() { return remote->ProcessId(); }

void LocalServerControl::KillServer() {
  EndProcess(remote->ProcessId());
  ForgetDeadServers();
}

void RestartOutlook() {
  if (remote) return remote->RestartOutlook();
  DisconnectEveryObject();
}

}  // namespace outlook_standin
