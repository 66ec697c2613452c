#include "synchronisation.h"

#include <algorithm>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "console_text.h"
#include "contact_content.h"
#include "contact_listing.h"
#include "host_state_file.h"
#include "sync_decision.h"

namespace sync_host {
namespace {

using contact_core::ContactRecord;
using contact_core::FieldId;

// Progress is saved after this many changes, so a stopped synchronisation
// has little to redo; in a large partnership only after a tenth of its
// pairs changed, because each save writes the whole state and saves every
// 100 changes would cost time in proportion to the square of the folder.
constexpr std::size_t kChangesPerCheckpoint = 100;
constexpr std::size_t kPairsPerCheckpointChange = 10;

// ReportStatus's parameter for a failure of the device store.
constexpr UINT kDeviceFailure = static_cast<UINT>(E_FAIL);

// Reports a status when constructed and another when destroyed, so that a
// synchronisation that stops early still closes what it opened.
class StatusBracket {
 public:
  StatusBracket(ProviderConnection& provider, UINT begin, UINT end, UINT param = 0)
      : provider_(provider), end_(end) {
    provider_.ReportStatus(begin, nullptr, param);
  }
  ~StatusBracket() { provider_.ReportStatus(end_); }
  StatusBracket(const StatusBracket&) = delete;
  StatusBracket& operator=(const StatusBracket&) = delete;

 private:
  ProviderConnection& provider_;
  UINT end_;
};

DeviceSide SideOf(const device::Entry* entry) {
  return DeviceSideOf(entry ? std::optional(entry->marks) : std::nullopt);
}

struct Pairing {
  std::uint32_t objectId = 0;
  ProviderHandle kept;     // the handle kept since the last synchronisation
  ProviderHandle current;  // the same contact as enumerated now, if it was
  std::uint64_t digest = kUnknownDigest;  // the content last carried between the two
  std::optional<DesktopSide> desktop;
  bool forgotten = false;
  bool unsettled = false;  // a conflict left as it is, to come back next time
};

// A desktop contact the kept pairings do not know, read at most once.
struct NewDesktopItem {
  ProviderHandle handle;
  bool read = false;
  std::optional<ContactRecord> record;
  bool taken = false;
};

class Synchronisation {
 public:
  Synchronisation(ProviderConnection& provider, device::DeviceStore& device, const SyncSettings& settings,
                  SyncReport& report)
      : provider_(provider), device_(device), settings_(settings), report_(report) {}

  void Run();

 private:
  // Answers whether a new partnership starts.
  bool RestoreState();
  void Synchronise(bool folderChanged);
  void TellDateChanged();
  bool Interrupted();
  // A change carried to the device, told to the provider as succeeded or failed.
  template <class Change>
  decltype(auto) OnDevice(UINT success, UINT failure, HREPLITEM item, Change&& change);
  void RemoveTemporaries();
  void ReadDesktop();
  void RemoveStrays();
  DesktopSide DesktopSideOf(Pairing& pairing);
  void Reconcile(Pairing& pairing);
  bool FindAgain(Pairing& pairing, device::Entry* entry);
  void Apply(Pairing& pairing, device::Entry* entry, Action action);
  void SendToDevice(Pairing& pairing, device::Entry* entry);
  void ReceiveFromDevice(Pairing& pairing, device::Entry& entry);
  void RecreateOnDesktop(Pairing& pairing, device::Entry& entry);
  void ResolveConflict(Pairing& pairing, device::Entry& entry);
  void GoneFromDesktop(Pairing& pairing, device::Entry* entry);
  void TakeNewDesktopContacts();
  void PairWithDevice(NewDesktopItem& item, device::Entry& entry);
  void TakeNewDeviceContacts();

  const ContactRecord* RecordOf(NewDesktopItem& item);
  void KeepEntryId(device::Entry& entry, HREPLITEM created);
  void ClearMarks(device::Entry& entry);
  void KeepEntryId(device::Entry& entry, std::u16string_view entryId, device::Marks marks);
  HREPLITEM DesktopItem(const Pairing& pairing) const;
  Pairing& PairUp(std::uint32_t objectId, ProviderHandle handle, std::uint64_t digest);
  void Forget(Pairing& pairing);
  void Changed();
  void Checkpoint(bool finished = false);

  ProviderConnection& provider_;
  device::DeviceStore& device_;
  const SyncSettings& settings_;
  SyncReport& report_;

  Bytes keptFolder_;
  // False for a device other than the partnership's: its EntryIDs came from
  // somewhere else, so its contacts are paired by content only.
  bool trustEntryIds_ = true;
  std::vector<Pairing> pairings_;
  std::unordered_map<std::uint32_t, std::size_t> pairingOf_;
  std::vector<ProviderHandle> temporaries_;
  std::vector<std::uint64_t> pending_;
  std::vector<NewDesktopItem> newDesktopItems_;
  std::unordered_map<std::uint32_t, device::Entry> deviceEntries_;
  // Unpaired device contacts that this run leaves for the next one to pair.
  std::unordered_set<std::uint32_t> heldBack_;
  bool enumerated_ = false;
  bool interrupted_ = false;
  bool leftSomethingBehind_ = false;
  std::size_t changesSinceCheckpoint_ = 0;
};

void Synchronisation::Run() {
  if (RestoreState()) provider_.ReportTypeStatus(RSC_OBJ_TYPE_ENABLED);
  if (settings_.showOptions) {
    std::vector<HREPLITEM> kept;
    for (const Pairing& pairing : pairings_) kept.push_back(pairing.kept.Item());
    settings_.showOptions(kept);
  }
  const std::string type = provider_.TypeDisplayName("contacts");
  if (!provider_.IsFolderReplicated()) {
    report_.Note("The provider leaves its " + type + " out of synchronisation; nothing was carried.");
    return;
  }
  const bool folderChanged = provider_.FolderChanged();
  UINT flags = settings_.autoStarted ? BSF_AUTO_SYNC : 0;
  if (provider_.Remote()) {
    flags |= BSF_REMOTE_SYNC;
    provider_.ReportStatus(RSC_REMOTE_SYNC, nullptr, TRUE);
  }
  provider_.BeginSync(flags);
  struct EndSync {
    ProviderConnection& provider;
    ~EndSync() {
      provider.ReportStatus(RSC_END_SYNC);
      if (provider.Remote()) provider.ReportStatus(RSC_REMOTE_SYNC, nullptr, FALSE);
    }
  } endSync{provider_};
  const StatusBracket object(provider_, RSC_BEGIN_SYNC_OBJ, RSC_END_SYNC_OBJ);
  report_.Note("Synchronising " + type + ".");
  Synchronise(folderChanged);
  Checkpoint(true);
  if (settings_.removeDuplicates && !interrupted_) settings_.removeDuplicates();
}

void Synchronisation::Synchronise(bool folderChanged) {
  if (settings_.dateChanged) TellDateChanged();
  RemoveTemporaries();
  for (auto& entry : device_.Entries()) deviceEntries_.emplace(entry.objectId, std::move(entry));
  if (folderChanged || !pending_.empty()) ReadDesktop();
  report_.Note(std::string(folderChanged ? "The desktop's contacts changed" : "The desktop's contacts did not change") +
               "; " + std::to_string(deviceEntries_.size()) + (deviceEntries_.size() == 1 ? " contact" : " contacts") +
               " on the device.");
  {
    const StatusBracket batch(provider_, RSC_BEGIN_BATCH_WRITE, RSC_END_BATCH_WRITE);
    RemoveStrays();
    for (std::size_t i = 0, paired = pairings_.size(); i < paired && !Interrupted(); ++i) Reconcile(pairings_[i]);
    TakeNewDesktopContacts();
    TakeNewDeviceContacts();
  }
}

void Synchronisation::TellDateChanged() {
  // Once for the change of the clock, then for every object the host keeps,
  // so that a provider whose choice of objects depends on the date chooses
  // anew before it is asked.
  provider_.ReportStatus(RSC_TIME_CHANGED);
  for (const Pairing& pairing : pairings_) provider_.ReportStatus(RSC_DATE_CHANGED, pairing.kept.Item());
}

bool Synchronisation::Interrupted() {
  if (interrupted_) return true;
  if (!settings_.stopRequested || !settings_.stopRequested()) return false;
  interrupted_ = true;
  leftSomethingBehind_ = true;
  provider_.ReportStatus(RSC_INTERRUPT);
  report_.Note("Stopped before the end; the next synchronisation takes what is left.");
  return true;
}

template <class Change>
decltype(auto) Synchronisation::OnDevice(UINT success, UINT failure, HREPLITEM item, Change&& change) {
  try {
    if constexpr (std::is_void_v<std::invoke_result_t<Change&>>) {
      change();
      provider_.ReportStatus(success, item);
    } else {
      auto result = change();
      provider_.ReportStatus(success, item);
      return result;
    }
  } catch (...) {
    provider_.ReportStatus(failure, item, kDeviceFailure);
    throw;
  }
}

bool Synchronisation::RestoreState() {
  const auto saved = LoadHostState(settings_.stateFile);
  if (!saved) {
    provider_.OpenFolder({});
    return true;
  }
  if (!provider_.IsThisStore(saved->storeId)) {
    throw HostError("the host state " + console_text::PathUtf8(settings_.stateFile) +
                    " belongs to another desktop store; give another --state file to start a new partnership");
  }
  // What a stopped conflict left belongs to the desktop, whichever device comes.
  for (const Bytes& temporary : saved->temporaries) {
    if (ProviderHandle handle = provider_.FromBytes(temporary)) temporaries_.push_back(std::move(handle));
  }
  pending_ = saved->pending;
  if (saved->deviceIdentity != kUnknownDevice && saved->deviceIdentity != device_.Identity()) {
    report_.Note("This is not the device of the last synchronisation; a new partnership starts, pairing its contacts "
                 "with the desktop's by content.");
    trustEntryIds_ = false;
    provider_.OpenFolder({});
    return true;
  }
  keptFolder_ = saved->folder;
  provider_.OpenFolder(saved->folder.empty() ? ProviderHandle{} : provider_.FromBytes(saved->folder));
  for (const Pair& pair : saved->pairs) {
    ProviderHandle handle = provider_.FromBytes(pair.desktopItem);
    if (handle) {
      PairUp(pair.objectId, std::move(handle), pair.digest);
    } else {
      report_.Note("The kept handle of device contact " + std::to_string(pair.objectId) +
                   " was refused by the provider; the contact is paired anew.");
    }
  }
  return false;
}

void Synchronisation::RemoveTemporaries() {
  if (temporaries_.empty()) return;
  std::vector<ProviderHandle> left;
  for (ProviderHandle& temporary : temporaries_) {
    try {
      provider_.Delete(temporary.Item());
    } catch (const std::exception& error) {
      leftSomethingBehind_ = true;
      report_.Failed({}, std::string("a version left on the desktop by a stopped conflict stays until next time: ") +
                             error.what());
      left.push_back(std::move(temporary));
    }
  }
  temporaries_ = std::move(left);
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
  std::vector<ProviderHandle> enumerated;
  {
    const StatusBracket check(provider_, RSC_BEGIN_CHECK, RSC_END_CHECK);
    enumerated = provider_.EnumerateItems();
  }
  for (ProviderHandle& item : enumerated) {
    const auto found = std::lower_bound(byItem.begin(), byItem.end(), item.Item(), [&](std::size_t index, HREPLITEM key) {
      return provider_.CompareItems(pairings_[index].kept.Item(), key) < 0;
    });
    if (found != byItem.end() && provider_.CompareItems(pairings_[*found].kept.Item(), item.Item()) == 0 &&
        !pairings_[*found].current) {
      pairings_[*found].current = std::move(item);
    } else {
      newDesktopItems_.emplace_back().handle = std::move(item);
    }
  }
}

void Synchronisation::RemoveStrays() {
  // A version a stopped conflict was putting on the desktop is a new desktop
  // contact now, found by the content the state kept for it.
  std::vector<std::uint64_t> unsure;
  for (const std::uint64_t digest : pending_) {
    try {
      for (NewDesktopItem& item : newDesktopItems_) {
        const ContactRecord* record = item.taken ? nullptr : RecordOf(item);
        if (!record || ContentDigest(*record) != digest) continue;
        provider_.Delete(item.handle.Item());
        item.taken = true;
        report_.Note("  removed   " + device::DisplayName(*record) + ": left on the desktop by a stopped conflict");
        break;
      }
    } catch (const std::exception& error) {
      leftSomethingBehind_ = true;
      report_.Failed({}, std::string("a version left on the desktop by a stopped conflict stays until next time: ") +
                             error.what());
      unsure.push_back(digest);
    }
  }
  pending_ = std::move(unsure);
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
  device::Entry* entry = known != deviceEntries_.end() ? &known->second : nullptr;
  // Without a change on the device, a contact the enumeration did not show
  // as changed needs no look at the desktop store.
  if (!enumerated_ && SideOf(entry) == DeviceSide::Unchanged) return;
  try {
    if (DesktopSideOf(pairing) == DesktopSide::Deleted) FindAgain(pairing, entry);
    const Action action = DecidePairedAction(*pairing.desktop, SideOf(entry));
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

bool Synchronisation::FindAgain(Pairing& pairing, device::Entry* entry) {
  // A desktop contact that is gone under its handle may be back under a new
  // one (re-created, restored, imported again): a new desktop contact with
  // the content last carried, or with the device's own version, is it.
  const bool onDevice = entry && !entry->marks.deleted;
  const std::uint64_t deviceDigest = onDevice ? ContentDigest(entry->record) : kUnknownDigest;
  std::uint64_t carried = pairing.digest;
  if (carried == kUnknownDigest && onDevice && !entry->marks.changed) carried = deviceDigest;
  if (carried == kUnknownDigest && deviceDigest == kUnknownDigest) return false;
  for (NewDesktopItem& item : newDesktopItems_) {
    const ContactRecord* record = item.taken ? nullptr : RecordOf(item);
    if (!record) continue;
    const std::uint64_t digest = ContentDigest(*record);
    if (digest != carried && digest != deviceDigest) continue;
    item.taken = true;
    pairing.kept = std::move(item.handle);
    pairing.current = {};
    pairing.digest = digest;
    pairing.desktop = DesktopSide::Unchanged;
    if (onDevice) KeepEntryId(*entry, record->Text(FieldId::EntryID), digest == deviceDigest ? device::Marks{} : entry->marks);
    report_.Note("  found     " + device::DisplayName(*record) + ": the same contact under a new desktop handle");
    Changed();
    return true;
  }
  return false;
}

void Synchronisation::Apply(Pairing& pairing, device::Entry* entry, Action action) {
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
      provider_.Delete(DesktopItem(pairing));
      Forget(pairing);
      device_.Remove(entry->objectId);
      report_.DeletedOnDesktop(entry->record);
      break;
    case Action::DeleteOnDevice:
      OnDevice(RSC_DELETE_OBJ_SUCCESS, RSC_DELETE_OBJ_FAILED, DesktopItem(pairing), [&] { device_.Remove(entry->objectId); });
      Forget(pairing);
      report_.DeletedOnDevice(entry->record);
      break;
    case Action::RecreateOnDesktop:
      RecreateOnDesktop(pairing, *entry);
      break;
    case Action::Forget:
      Forget(pairing);
      device_.Remove(pairing.objectId);
      break;
  }
  Changed();
}

void Synchronisation::GoneFromDesktop(Pairing& pairing, device::Entry* entry) {
  pairing.desktop = DesktopSide::Deleted;
  Apply(pairing, entry, DecidePairedAction(DesktopSide::Deleted, SideOf(entry)));
}

void Synchronisation::SendToDevice(Pairing& pairing, device::Entry* entry) {
  const auto record = provider_.ReadPacket(DesktopItem(pairing));
  if (!record) {
    GoneFromDesktop(pairing, entry);
    return;
  }
  if (device_.HandedOut(pairing.objectId)) {
    OnDevice(RSC_WRITE_OBJ_SUCCESS, RSC_WRITE_OBJ_FAILED, DesktopItem(pairing),
             [&] { device_.Put(pairing.objectId, *record, {}); });
  } else {
    // A kept pairing with an object id this device never gave out: the
    // device went back to an older store. The contact goes to it under a
    // new id.
    const std::uint32_t objectId = OnDevice(RSC_WRITE_OBJ_SUCCESS, RSC_WRITE_OBJ_FAILED, DesktopItem(pairing),
                                            [&] { return device_.Add(*record, {}); });
    const std::size_t index = pairingOf_.at(pairing.objectId);
    pairingOf_.erase(pairing.objectId);
    pairing.objectId = objectId;
    pairingOf_[objectId] = index;
    Checkpoint();
  }
  pairing.digest = ContentDigest(*record);
  // The kept handle becomes the enumerated one, whose version was carried.
  if (pairing.current) provider_.Copy(pairing.current.Item(), pairing.kept.Item());
  report_.Sent(*record);
}

void Synchronisation::ReceiveFromDevice(Pairing& pairing, device::Entry& entry) {
  // Written through the kept handle, which thereby learns the new version.
  if (!provider_.WritePacket(pairing.kept.Item(), entry.record)) {
    GoneFromDesktop(pairing, &entry);
    return;
  }
  // The kept handle learns the version now on the desktop from the desktop
  // itself, so the write is not taken for a desktop change next time.
  provider_.Update(pairing.kept.Item(), nullptr);
  pairing.digest = ContentDigest(entry.record);
  ClearMarks(entry);
  report_.Received(entry.record);
}

void Synchronisation::RecreateOnDesktop(Pairing& pairing, device::Entry& entry) {
  pairing.current = {};
  pairing.kept = provider_.WriteNewPacket(entry.record);
  pairing.digest = ContentDigest(entry.record);
  KeepEntryId(entry, pairing.kept.Item());
  report_.Received(entry.record);
}

void Synchronisation::ResolveConflict(Pairing& pairing, device::Entry& entry) {
  // The provider describes two contacts of its own store, so the device's
  // version goes into it for as long as the description takes. The state
  // says so before and after, so no such contact outlives a stopped host.
  pending_.push_back(ContentDigest(entry.record));
  Checkpoint();
  temporaries_.push_back(provider_.WriteNewPacket(entry.record, RSF_CONFLICT_OBJECT));
  pending_.pop_back();
  Checkpoint();
  const ConflictDescription description = provider_.DescribeConflict(DesktopItem(pairing), temporaries_.back().Item());
  provider_.Delete(temporaries_.back().Item());
  temporaries_.pop_back();

  std::optional<ContactRecord> desktopRecord;
  bool same = description.verdict == ConflictDescription::Verdict::Equal;
  if (description.verdict == ConflictDescription::Verdict::NotDescribed) {
    // The provider cannot compare the versions; the records can.
    desktopRecord = provider_.ReadPacket(DesktopItem(pairing), RSF_CONFLICT_OBJECT);
    if (!desktopRecord) {
      GoneFromDesktop(pairing, &entry);
      return;
    }
    same = Content(*desktopRecord) == Content(entry.record);
  }
  if (same) {
    provider_.Update(pairing.kept.Item(), pairing.current ? pairing.current.Item() : nullptr);
    pairing.digest = ContentDigest(entry.record);
    ClearMarks(entry);
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
      pairing.unsettled = true;
      report_.ConflictLeft(entry.record, text);
      return;
    case ConflictPolicy::DesktopWins: {
      if (!desktopRecord) desktopRecord = provider_.ReadPacket(DesktopItem(pairing), RSF_CONFLICT_OBJECT);
      if (!desktopRecord) {
        GoneFromDesktop(pairing, &entry);
        return;
      }
      OnDevice(RSC_WRITE_OBJ_SUCCESS, RSC_WRITE_OBJ_FAILED, DesktopItem(pairing),
               [&] { device_.Put(entry.objectId, *desktopRecord, {}); });
      pairing.digest = ContentDigest(*desktopRecord);
      if (pairing.current) provider_.Copy(pairing.current.Item(), pairing.kept.Item());
      report_.Conflict(entry.record, text, "the desktop's version kept");
      return;
    }
    case ConflictPolicy::DeviceWins:
      if (!provider_.WritePacket(pairing.kept.Item(), entry.record, RSF_CONFLICT_OBJECT)) {
        GoneFromDesktop(pairing, &entry);
        return;
      }
      provider_.Update(pairing.kept.Item(), nullptr);
      pairing.digest = ContentDigest(entry.record);
      ClearMarks(entry);
      report_.Conflict(entry.record, text, "the device's version kept");
      return;
  }
}

void Synchronisation::TakeNewDesktopContacts() {
  // Device contacts the host has not paired: a contact carried across just
  // before a synchronisation stopped, or every contact when the partnership
  // was lost, is found here again by the EntryID the device keeps for it or
  // by its content, and is paired instead of carried twice.
  std::unordered_map<std::u16string, std::uint32_t> byEntryId;
  std::unordered_multimap<std::uint64_t, std::uint32_t> byContent;
  for (const auto& [objectId, entry] : deviceEntries_) {
    const std::u16string_view entryId = entry.record.Text(FieldId::EntryID);
    // A deletion counts only for a contact the desktop once had.
    if (pairingOf_.contains(objectId) || (entry.marks.deleted && (!trustEntryIds_ || entryId.empty()))) continue;
    if (trustEntryIds_ && !entryId.empty()) byEntryId.emplace(std::u16string(entryId), objectId);
    byContent.emplace(ContentDigest(entry.record), objectId);
  }
  const auto unpaired = [&](std::uint32_t objectId) { return !pairingOf_.contains(objectId) && !heldBack_.contains(objectId); };
  int unselected = 0;
  for (NewDesktopItem& item : newDesktopItems_) {
    if (item.taken) continue;
    if (Interrupted()) break;
    try {
      if (!provider_.IsReplicated(item.handle.Item())) {
        ++unselected;
        continue;
      }
      const ContactRecord* record = RecordOf(item);
      if (!record) continue;
      std::optional<std::uint32_t> match;
      const auto same = byEntryId.find(std::u16string(record->Text(FieldId::EntryID)));
      if (same != byEntryId.end() && unpaired(same->second)) {
        match = same->second;
      } else {
        const auto [first, last] = byContent.equal_range(ContentDigest(*record));
        for (auto candidate = first; candidate != last && !match; ++candidate) {
          if (unpaired(candidate->second)) match = candidate->second;
        }
      }
      item.taken = true;
      if (match) {
        PairWithDevice(item, deviceEntries_.at(*match));
      } else {
        const std::uint32_t objectId = OnDevice(RSC_WRITE_OBJ_SUCCESS, RSC_WRITE_OBJ_FAILED, item.handle.Item(),
                                                [&] { return device_.Add(*record, {}); });
        PairUp(objectId, std::move(item.handle), ContentDigest(*record));
        report_.Sent(*record);
      }
      Changed();
    } catch (const std::exception& error) {
      leftSomethingBehind_ = true;
      report_.Failed(item.record ? *item.record : ContactRecord{}, error.what());
    }
  }
  if (unselected > 0) {
    leftSomethingBehind_ = true;
    report_.SkippedUnselected(unselected);
  }
}

void Synchronisation::PairWithDevice(NewDesktopItem& item, device::Entry& entry) {
  const ContactRecord& record = *item.record;
  const bool same = Content(record) == Content(entry.record);
  Pairing& pairing = PairUp(entry.objectId, std::move(item.handle), same ? ContentDigest(record) : kUnknownDigest);
  // Without the history the two versions cannot tell which side changed,
  // so differing versions are treated as changed on the desktop: the device
  // takes the desktop's unless it was edited too, which is a conflict.
  pairing.desktop = same ? DesktopSide::Unchanged : DesktopSide::Changed;
  const Action action = DecidePairedAction(*pairing.desktop, SideOf(&entry));
  try {
    if (same && (action == Action::None || action == Action::ReceiveFromDevice)) {
      KeepEntryId(entry, record.Text(FieldId::EntryID), {});
      report_.Note("  paired    " + device::DisplayName(record) + ": already the same on both sides");
    } else {
      Apply(pairing, &entry, action);
    }
  } catch (...) {
    // Paired only once settled: the next run pairs the two again.
    Forget(pairing);
    heldBack_.insert(entry.objectId);
    throw;
  }
  if (pairing.unsettled) {
    Forget(pairing);
    heldBack_.insert(entry.objectId);
  }
}

void Synchronisation::TakeNewDeviceContacts() {
  for (const device::Entry& listed : device_.Entries()) {
    if (pairingOf_.contains(listed.objectId) || heldBack_.contains(listed.objectId)) continue;
    if (Interrupted()) break;
    // Only what the device held when the run began is new from the device;
    // an entry this run wrote itself and then let go of (a desktop contact
    // gone again meanwhile) is not, and sending it back would double it.
    const auto held = deviceEntries_.find(listed.objectId);
    if (held == deviceEntries_.end()) continue;
    device::Entry& entry = held->second;
    try {
      if (entry.marks.deleted) {
        // Deleted on the device before the desktop ever had it.
        device_.Remove(entry.objectId);
        continue;
      }
      Pairing& pairing = PairUp(entry.objectId, provider_.WriteNewPacket(entry.record), ContentDigest(entry.record));
      KeepEntryId(entry, pairing.kept.Item());
      report_.Received(entry.record);
      Changed();
    } catch (const std::exception& error) {
      leftSomethingBehind_ = true;
      report_.Failed(entry.record, error.what());
    }
  }
}

const ContactRecord* Synchronisation::RecordOf(NewDesktopItem& item) {
  if (!item.read) {
    item.record = provider_.ReadPacket(item.handle.Item());
    item.read = true;
  }
  return item.record ? &*item.record : nullptr;
}

void Synchronisation::KeepEntryId(device::Entry& entry, HREPLITEM created) {
  // The EntryID the desktop gave a new contact goes onto the device's
  // record, where it pairs the two again should the host's state be lost.
  const auto written = provider_.ReadPacket(created);
  KeepEntryId(entry, written ? written->Text(FieldId::EntryID) : entry.record.Text(FieldId::EntryID), {});
}

void Synchronisation::ClearMarks(device::Entry& entry) {
  if (entry.marks == device::Marks{}) return;
  device_.SetMarks(entry.objectId, {});
  entry.marks = {};
}

void Synchronisation::KeepEntryId(device::Entry& entry, std::u16string_view entryId, device::Marks marks) {
  if (entry.record.Text(FieldId::EntryID) == entryId && entry.marks == marks) return;
  const std::u16string kept(entryId);
  entry.record.SetText(FieldId::EntryID, kept);
  entry.marks = marks;
  device_.Put(entry.objectId, entry.record, marks);
}

HREPLITEM Synchronisation::DesktopItem(const Pairing& pairing) const {
  return pairing.current ? pairing.current.Item() : pairing.kept.Item();
}

Pairing& Synchronisation::PairUp(std::uint32_t objectId, ProviderHandle handle, std::uint64_t digest) {
  pairingOf_[objectId] = pairings_.size();
  Pairing& pairing = pairings_.emplace_back();
  pairing.objectId = objectId;
  pairing.kept = std::move(handle);
  pairing.digest = digest;
  return pairing;
}

void Synchronisation::Forget(Pairing& pairing) {
  pairing.forgotten = true;
  pairing.kept = {};
  pairing.current = {};
  const auto found = pairingOf_.find(pairing.objectId);
  if (found != pairingOf_.end() && &pairings_[found->second] == &pairing) pairingOf_.erase(found);
}

void Synchronisation::Changed() {
  const std::size_t due = std::max(kChangesPerCheckpoint, pairingOf_.size() / kPairsPerCheckpointChange);
  if (++changesSinceCheckpoint_ >= due) Checkpoint();
}

void Synchronisation::Checkpoint(bool finished) {
  HostState state;
  state.storeId = provider_.StoreId();
  state.deviceIdentity = device_.Identity();
  // The folder as enumerated now is kept only once every change in it has
  // been taken; until then the next connection must enumerate again.
  state.folder = finished && !leftSomethingBehind_ ? provider_.ToBytes(reinterpret_cast<HREPLOBJ>(provider_.Folder()))
                                                   : keptFolder_;
  for (const Pairing& pairing : pairings_) {
    if (!pairing.forgotten) state.pairs.push_back({pairing.objectId, provider_.ToBytes(pairing.kept.Object()), pairing.digest});
  }
  for (const ProviderHandle& temporary : temporaries_) state.temporaries.push_back(provider_.ToBytes(temporary.Object()));
  state.pending = pending_;
  SaveHostState(settings_.stateFile, state);
  changesSinceCheckpoint_ = 0;
}

}  // namespace

device::DeviceStore OpenDevice(ProviderConnection& provider, const std::filesystem::path& file) {
  try {
    return device::DeviceStore(file, device::DeviceStore::Access::Change);
  } catch (const device::StoreError&) {
    provider.ReportStatus(RSC_READ_OBJ_FAILED, nullptr, kDeviceFailure);
    throw;
  }
}

void Synchronise(ProviderConnection& provider, device::DeviceStore& device, const SyncSettings& settings,
                 SyncReport& report) {
  Synchronisation(provider, device, settings, report).Run();
}

}  // namespace sync_host
