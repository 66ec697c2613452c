#include "synchronisation.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "console_text.h"
#include "contact_listing.h"
#include "host_state_file.h"
#include "sync_decision.h"

namespace sync_host {
namespace {

using contact_core::ContactRecord;

// Progress is saved at least this often, so a stopped synchronisation has
// little to redo.
constexpr int kChangesPerCheckpoint = 100;

// The 25 fields a contact carries, EntryID left out: two records with the
// same content are the same contact as far as the device can tell.
std::u16string Content(const ContactRecord& record) {
  const auto first = record.units.begin() + contact_core::Field(contact_core::kFirstWritableField).offset;
  return std::u16string(first, record.units.end());
}

DeviceSide SideOf(const device::Entry* entry) {
  return DeviceSideOf(entry ? std::optional(entry->marks) : std::nullopt);
}

struct Pairing {
  std::uint32_t objectId = 0;
  ProviderHandle kept;     // the handle kept since the last synchronisation
  ProviderHandle current;  // the same contact as enumerated now, if it was
  std::optional<DesktopSide> desktop;
  bool forgotten = false;
};

class Synchronisation {
 public:
  Synchronisation(ProviderConnection& provider, device::DeviceStore& device, const SyncSettings& settings,
                  SyncReport& report)
      : provider_(provider), device_(device), settings_(settings), report_(report) {}

  void Run();

 private:
  void RestoreState();
  void RemoveTemporaries();
  void ReadDesktop();
  DesktopSide DesktopSideOf(Pairing& pairing);
  void Reconcile(Pairing& pairing);
  void Apply(Pairing& pairing, const device::Entry* entry, Action action);
  void SendToDevice(Pairing& pairing, const device::Entry* entry);
  void ReceiveFromDevice(Pairing& pairing, const device::Entry& entry);
  void ResolveConflict(Pairing& pairing, const device::Entry& entry);
  void GoneFromDesktop(Pairing& pairing, const device::Entry* entry);
  void TakeNewDesktopContacts();
  void TakeNewDeviceContacts();

  HREPLITEM DesktopItem(const Pairing& pairing) const;
  void PairUp(std::uint32_t objectId, ProviderHandle handle);
  void Forget(Pairing& pairing);
  void Changed();
  void Checkpoint(bool finished = false);

  ProviderConnection& provider_;
  device::DeviceStore& device_;
  const SyncSettings& settings_;
  SyncReport& report_;

  Bytes keptFolder_;
  std::vector<Pairing> pairings_;
  std::unordered_map<std::uint32_t, std::size_t> pairingOf_;
  std::vector<ProviderHandle> temporaries_;
  std::vector<std::uint32_t> pending_;
  // What the desktop contacts left by an interrupted conflict hold.
  std::unordered_multiset<std::u16string> strayContents_;
  std::vector<ProviderHandle> newDesktopItems_;
  std::unordered_map<std::uint32_t, device::Entry> deviceEntries_;
  bool enumerated_ = false;
  bool leftSomethingBehind_ = false;
  int changesSinceCheckpoint_ = 0;
};

void Synchronisation::Run() {
  RestoreState();
  const bool folderChanged = provider_.FolderChanged();
  provider_.ReportStatus(RSC_BEGIN_SYNC);
  struct EndSync {
    ProviderConnection& provider;
    ~EndSync() { provider.ReportStatus(RSC_END_SYNC); }
  } endSync{provider_};

  RemoveTemporaries();
  for (auto& entry : device_.Entries()) deviceEntries_.emplace(entry.objectId, std::move(entry));
  for (const std::uint32_t objectId : pending_) {
    const auto entry = deviceEntries_.find(objectId);
    if (entry != deviceEntries_.end()) strayContents_.insert(Content(entry->second.record));
  }
  if (folderChanged || !strayContents_.empty()) ReadDesktop();
  report_.Note(std::string(folderChanged ? "The desktop's contacts changed" : "The desktop's contacts did not change") +
               "; " + std::to_string(deviceEntries_.size()) + (deviceEntries_.size() == 1 ? " contact" : " contacts") +
               " on the device.");
  for (std::size_t i = 0, paired = pairings_.size(); i < paired; ++i) Reconcile(pairings_[i]);
  TakeNewDesktopContacts();
  // Every contact a stopped conflict could have left has been looked at.
  pending_.clear();
  TakeNewDeviceContacts();
  Checkpoint(true);
}

void Synchronisation::RestoreState() {
  const auto saved = LoadHostState(settings_.stateFile);
  if (!saved) {
    provider_.OpenFolder({});
    return;
  }
  if (!provider_.IsThisStore(saved->storeId)) {
    throw HostError("the host state " + console_text::PathUtf8(settings_.stateFile) +
                    " belongs to another desktop store; give another --state file to start a new partnership");
  }
  keptFolder_ = saved->folder;
  provider_.OpenFolder(saved->folder.empty() ? ProviderHandle{} : provider_.FromBytes(saved->folder));
  for (const Pair& pair : saved->pairs) {
    ProviderHandle handle = provider_.FromBytes(pair.desktopItem);
    if (handle) {
      PairUp(pair.objectId, std::move(handle));
    } else {
      report_.Note("The kept handle of device contact " + std::to_string(pair.objectId) +
                   " was refused by the provider; the contact is paired anew.");
    }
  }
  for (const Bytes& temporary : saved->temporaries) {
    if (ProviderHandle handle = provider_.FromBytes(temporary)) temporaries_.push_back(std::move(handle));
  }
  pending_ = saved->pending;
}

void Synchronisation::RemoveTemporaries() {
  if (temporaries_.empty()) return;
  for (const ProviderHandle& temporary : temporaries_) provider_.Delete(temporary.Item());
  temporaries_.clear();
  Checkpoint();
}

void Synchronisation::ReadDesktop() {
  enumerated_ = true;
  std::vector<std::size_t> byItem;
  for (std::size_t i = 0; i < pairings_.size(); ++i) byItem.push_back(i);
  const auto before = [&](std::size_t a, std::size_t b) {
    return provider_.CompareItems(pairings_[a].kept.Item(), pairings_[b].kept.Item()) < 0;
  };
  std::sort(byItem.begin(), byItem.end(), before);
  for (ProviderHandle& item : provider_.EnumerateItems()) {
    const auto found = std::lower_bound(byItem.begin(), byItem.end(), item.Item(), [&](std::size_t index, HREPLITEM key) {
      return provider_.CompareItems(pairings_[index].kept.Item(), key) < 0;
    });
    if (found != byItem.end() && provider_.CompareItems(pairings_[*found].kept.Item(), item.Item()) == 0 &&
        !pairings_[*found].current) {
      pairings_[*found].current = std::move(item);
    } else {
      newDesktopItems_.push_back(std::move(item));
    }
  }
}

DesktopSide Synchronisation::DesktopSideOf(Pairing& pairing) {
  if (pairing.desktop) return *pairing.desktop;
  if (pairing.current) {
    pairing.desktop = provider_.IsChanged(pairing.kept.Item(), pairing.current.Item()) ? DesktopSide::Changed
                                                                                        : DesktopSide::Unchanged;
  } else if (enumerated_ && !provider_.Exists(pairing.kept.Item())) {
    pairing.desktop = DesktopSide::Deleted;
  } else {
    // Not enumerated (the folder did not change, or the contact lies where
    // the enumeration does not reach): ask the desktop store itself.
    pairing.desktop = provider_.IsChanged(pairing.kept.Item(), nullptr) ? DesktopSide::Changed : DesktopSide::Unchanged;
  }
  return *pairing.desktop;
}

void Synchronisation::Reconcile(Pairing& pairing) {
  if (pairing.forgotten) return;
  const auto known = deviceEntries_.find(pairing.objectId);
  const device::Entry* entry = known != deviceEntries_.end() ? &known->second : nullptr;
  const DeviceSide deviceSide = SideOf(entry);
  // Without a change on the device, a contact the enumeration did not show
  // as changed needs no look at the desktop store.
  if (!enumerated_ && deviceSide == DeviceSide::Unchanged) return;
  try {
    const Action action = DecidePairedAction(DesktopSideOf(pairing), deviceSide);
    const bool desktopGone = *pairing.desktop == DesktopSide::Deleted;
    if (action != Action::None && !desktopGone && !provider_.IsReplicated(DesktopItem(pairing))) {
      leftSomethingBehind_ = true;
      report_.Skipped(entry ? entry->record : ContactRecord{}, "not selected for synchronisation");
      return;
    }
    Apply(pairing, entry, action);
  } catch (const std::exception& error) {
    leftSomethingBehind_ = true;
    report_.Failed(entry ? entry->record : ContactRecord{}, error.what());
  }
}

void Synchronisation::Apply(Pairing& pairing, const device::Entry* entry, Action action) {
  switch (action) {
    case Action::None:
      return;
    case Action::SendToDevice:
      SendToDevice(pairing, entry);
      break;
    case Action::ReceiveFromDevice:
      ReceiveFromDevice(pairing, *entry);
      break;
    case Action::ResolveConflict:
      ResolveConflict(pairing, *entry);
      break;
    case Action::DeleteOnDesktop:
      provider_.Delete(pairing.kept.Item());
      Forget(pairing);
      device_.Remove(entry->objectId);
      report_.DeletedOnDesktop(entry->record);
      break;
    case Action::DeleteOnDevice:
      device_.Remove(entry->objectId);
      Forget(pairing);
      report_.DeletedOnDevice(entry->record);
      break;
    case Action::RecreateOnDesktop:
      pairing.current = {};
      pairing.kept = provider_.WriteNewPacket(entry->record);
      device_.SetMarks(entry->objectId, {});
      report_.Received(entry->record);
      break;
    case Action::Forget:
      Forget(pairing);
      device_.Remove(pairing.objectId);
      break;
  }
  Changed();
}

void Synchronisation::GoneFromDesktop(Pairing& pairing, const device::Entry* entry) {
  pairing.desktop = DesktopSide::Deleted;
  Apply(pairing, entry, DecidePairedAction(DesktopSide::Deleted, SideOf(entry)));
}

void Synchronisation::SendToDevice(Pairing& pairing, const device::Entry* entry) {
  const auto record = provider_.ReadPacket(DesktopItem(pairing));
  if (!record) {
    GoneFromDesktop(pairing, entry);
    return;
  }
  if (device_.HandedOut(pairing.objectId)) {
    device_.Put(pairing.objectId, *record, {});
  } else {
    // A kept pairing with an object id this device never gave out: the
    // device was replaced. The contact goes to it under a new id.
    const std::uint32_t objectId = device_.Add(*record, {});
    const std::size_t index = pairingOf_.at(pairing.objectId);
    pairingOf_.erase(pairing.objectId);
    pairing.objectId = objectId;
    pairingOf_[objectId] = index;
    Checkpoint();
  }
  if (pairing.current) provider_.Update(pairing.kept.Item(), pairing.current.Item());
  report_.Sent(*record);
}

void Synchronisation::ReceiveFromDevice(Pairing& pairing, const device::Entry& entry) {
  if (!provider_.WritePacket(pairing.kept.Item(), entry.record)) {
    GoneFromDesktop(pairing, &entry);
    return;
  }
  device_.SetMarks(entry.objectId, {});
  report_.Received(entry.record);
}

void Synchronisation::ResolveConflict(Pairing& pairing, const device::Entry& entry) {
  // The provider describes two contacts of its own store, so the device's
  // version goes into it for as long as the description takes. The state
  // says so before and after, so no such contact outlives a stopped host.
  pending_.push_back(entry.objectId);
  Checkpoint();
  temporaries_.push_back(provider_.WriteNewPacket(entry.record));
  pending_.pop_back();
  Checkpoint();
  const ConflictDescription description = provider_.DescribeConflict(DesktopItem(pairing), temporaries_.back().Item());
  provider_.Delete(temporaries_.back().Item());
  temporaries_.pop_back();

  std::optional<ContactRecord> desktopRecord;
  bool same = description.verdict == ConflictDescription::Verdict::Equal;
  if (description.verdict == ConflictDescription::Verdict::NotDescribed) {
    // The provider cannot compare the versions; the records can.
    desktopRecord = provider_.ReadPacket(DesktopItem(pairing));
    if (!desktopRecord) {
      GoneFromDesktop(pairing, &entry);
      return;
    }
    same = Content(*desktopRecord) == Content(entry.record);
  }
  if (same) {
    provider_.Update(pairing.kept.Item(), pairing.current ? pairing.current.Item() : nullptr);
    device_.SetMarks(entry.objectId, {});
    report_.Note("  same      " + device::DisplayName(entry.record) + ": changed alike on both sides");
    return;
  }
  const std::string text = description.verdict == ConflictDescription::Verdict::Described
                               ? "\"" + description.desktop + "\" on the desktop, \"" + description.device + "\" on the device"
                               : "changed on both sides (the provider gives no description: " +
                                     console_text::SystemErrorText(description.result) + ")";
  switch (settings_.policy) {
    case ConflictPolicy::Skip:
      leftSomethingBehind_ = true;
      report_.Conflict(entry.record, text, "both left as they are");
      return;
    case ConflictPolicy::DesktopWins: {
      if (!desktopRecord) desktopRecord = provider_.ReadPacket(DesktopItem(pairing));
      if (!desktopRecord) {
        GoneFromDesktop(pairing, &entry);
        return;
      }
      device_.Put(entry.objectId, *desktopRecord, {});
      if (pairing.current) provider_.Update(pairing.kept.Item(), pairing.current.Item());
      report_.Conflict(entry.record, text, "the desktop's version kept");
      return;
    }
    case ConflictPolicy::DeviceWins:
      if (!provider_.WritePacket(pairing.kept.Item(), entry.record)) {
        GoneFromDesktop(pairing, &entry);
        return;
      }
      device_.SetMarks(entry.objectId, {});
      report_.Conflict(entry.record, text, "the device's version kept");
      return;
  }
}

void Synchronisation::TakeNewDesktopContacts() {
  // Device contacts the host has not paired, by content: a contact that was
  // carried across just before a synchronisation stopped is found here
  // again, and is paired instead of carried twice.
  std::unordered_multimap<std::u16string, std::uint32_t> unpaired;
  for (const auto& [objectId, entry] : deviceEntries_) {
    if (!pairingOf_.contains(objectId) && !entry.marks.deleted) unpaired.emplace(Content(entry.record), objectId);
  }
  int unselected = 0;
  for (ProviderHandle& item : newDesktopItems_) {
    try {
      std::optional<ContactRecord> record;
      if (!strayContents_.empty()) {
        record = provider_.ReadPacket(item.Item());
        const auto stray = record ? strayContents_.find(Content(*record)) : strayContents_.end();
        if (stray != strayContents_.end()) {
          strayContents_.erase(stray);
          provider_.Delete(item.Item());
          report_.Note("  removed   " + device::DisplayName(*record) + ": left on the desktop by a stopped conflict");
          continue;
        }
      }
      if (!provider_.IsReplicated(item.Item())) {
        ++unselected;
        continue;
      }
      if (!record) record = provider_.ReadPacket(item.Item());
      if (!record) continue;
      const auto match = unpaired.find(Content(*record));
      if (match != unpaired.end()) {
        const std::uint32_t objectId = match->second;
        unpaired.erase(match);
        if (deviceEntries_.at(objectId).marks != device::Marks{}) device_.SetMarks(objectId, {});
        PairUp(objectId, std::move(item));
        report_.Note("  paired    " + device::DisplayName(*record) + ": already the same on both sides");
      } else {
        PairUp(device_.Add(*record, {}), std::move(item));
        report_.Sent(*record);
      }
      Changed();
    } catch (const std::exception& error) {
      leftSomethingBehind_ = true;
      report_.Failed({}, error.what());
    }
  }
  if (unselected > 0) {
    leftSomethingBehind_ = true;
    report_.SkippedUnselected(unselected);
  }
}

void Synchronisation::TakeNewDeviceContacts() {
  for (const device::Entry& entry : device_.Entries()) {
    if (pairingOf_.contains(entry.objectId)) continue;
    try {
      if (entry.marks.deleted) {
        // Deleted on the device before the desktop ever had it.
        device_.Remove(entry.objectId);
        continue;
      }
      PairUp(entry.objectId, provider_.WriteNewPacket(entry.record));
      device_.SetMarks(entry.objectId, {});
      report_.Received(entry.record);
      Changed();
    } catch (const std::exception& error) {
      leftSomethingBehind_ = true;
      report_.Failed(entry.record, error.what());
    }
  }
}

HREPLITEM Synchronisation::DesktopItem(const Pairing& pairing) const {
  return pairing.current ? pairing.current.Item() : pairing.kept.Item();
}

void Synchronisation::PairUp(std::uint32_t objectId, ProviderHandle handle) {
  pairingOf_[objectId] = pairings_.size();
  Pairing& pairing = pairings_.emplace_back();
  pairing.objectId = objectId;
  pairing.kept = std::move(handle);
}

void Synchronisation::Forget(Pairing& pairing) {
  pairing.forgotten = true;
  pairing.kept = {};
  pairing.current = {};
  const auto found = pairingOf_.find(pairing.objectId);
  if (found != pairingOf_.end() && &pairings_[found->second] == &pairing) pairingOf_.erase(found);
}

void Synchronisation::Changed() {
  if (++changesSinceCheckpoint_ >= kChangesPerCheckpoint) Checkpoint();
}

void Synchronisation::Checkpoint(bool finished) {
  HostState state;
  state.storeId = provider_.StoreId();
  // The folder as enumerated now is kept only once every change in it has
  // been taken; until then the next connection must enumerate again.
  state.folder = finished && !leftSomethingBehind_ ? provider_.ToBytes(reinterpret_cast<HREPLOBJ>(provider_.Folder()))
                                                   : keptFolder_;
  for (const Pairing& pairing : pairings_) {
    if (!pairing.forgotten) state.pairs.push_back({pairing.objectId, provider_.ToBytes(pairing.kept.Object())});
  }
  for (const ProviderHandle& temporary : temporaries_) state.temporaries.push_back(provider_.ToBytes(temporary.Object()));
  state.pending = pending_;
  SaveHostState(settings_.stateFile, state);
  changesSinceCheckpoint_ = 0;
}

}  // namespace

void Synchronise(ProviderConnection& provider, device::DeviceStore& device, const SyncSettings& settings,
                 SyncReport& report) {
  Synchronisation(provider, device, settings, report).Run();
}

}  // namespace sync_host
