// The control surface that tests and tools use: the store file, the folder's
// contents, call counts and faults.
#include <stdexcept>

#include "call_monitor.h"
#include "com_failure.h"
#include "contacts_folder.h"
#include "dispatch_object.h"
#include "outlook_standin.h"

#include <utility>

namespace outlook_standin {
namespace {

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
  const auto lock = LockStandin();
  TheContactsFolder().Bind(lock, file);
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
  TheCallMonitor().ResetCounts();
  TheCallMonitor().Disarm();
  TheCallMonitor().WatchCallerLock({});
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

void ResetCallCounts() { TheCallMonitor().ResetCounts(); }

long CallCount(OutlookCall call) { return TheCallMonitor().Count(call); }

long CallCount(OutlookCall call, std::wstring_view member) { return TheCallMonitor().Count(call, member); }

void ArmFault(const Fault& fault) { TheCallMonitor().Arm(fault); }

void DisarmFaults() { TheCallMonitor().Disarm(); }

void WatchCallerLock(std::wstring name) { TheCallMonitor().WatchCallerLock(std::move(name)); }

long CallsWithoutLock() { return TheCallMonitor().CallsWithoutLock(); }

long LiveObjectCount() { return LiveDispatchObjects(); }

void RestartOutlook() { DisconnectEveryObject(); }

}  // namespace outlook_standin
