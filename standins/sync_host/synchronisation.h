// One synchronisation of the desktop's contacts with the device's, driven
// the way the sync service manager drives a provider: restore the handles
// kept from last time, ask whether the folder changed, enumerate, compare
// each contact with its kept handle and with the device's marks, move
// packets, deletions and conflicts, and keep the new handles.
//
// Every step is safe to stop after: the host state is saved atomically now
// and then and at the end, and a contact that was carried to the other side
// without the pairing being saved is paired again next time by the desktop
// EntryID its device record keeps, or else by its content, so a
// synchronisation that was killed, or whose state was lost, loses and
// doubles nothing and the next one converges. A failure of the desktop
// store is never taken for a deletion: the contact is reported, both sides
// stay as they were, and the next synchronisation tries again.
#pragma once

#include <filesystem>
#include <functional>
#include <span>

#include "conflict_policy.h"
#include "device_store.h"
#include "provider_connection.h"
#include "sync_report.h"

namespace sync_host {

struct SyncSettings {
  std::filesystem::path stateFile;
  ConflictPolicy policy = ConflictPolicy::Skip;
  // The system date changed since the last synchronisation: every kept
  // object is told so (RSC_DATE_CHANGED) before it is looked at.
  bool dateChanged = false;
  // Started because polling found the desktop changed (BSF_AUTO_SYNC).
  bool autoStarted = false;
  // Called once the kept handles are restored, before anything is looked
  // at, to show the provider's options dialog with them (the selection it
  // makes decides what takes part).
  std::function<void(std::span<const HREPLITEM> kept)> showOptions = nullptr;
  // Called at the end, once everything is carried and saved, to remove
  // duplicate contacts from the desktop; the next synchronisation carries
  // the removals to the device.
  std::function<void()> removeDuplicates = nullptr;
  // Asked between contacts: true stops the synchronisation after the contact
  // at hand (RSC_INTERRUPT); what is left is taken next time.
  std::function<bool()> stopRequested = nullptr;
};

// Opens the device's store for a synchronisation. A store whose contacts
// cannot be read is told to the provider (RSC_READ_OBJ_FAILED) before the
// failure (device::StoreError) is raised.
device::DeviceStore OpenDevice(ProviderConnection& provider, const std::filesystem::path& file);

// Runs on a connection whose folder is not open yet. Throws HostError when
// the synchronisation cannot take place at all (another store's state, the
// folder cannot be read); a contact that fails is reported and counted, and
// the others go on.
void Synchronise(ProviderConnection& provider, device::DeviceStore& device, const SyncSettings& settings,
                 SyncReport& report);

}  // namespace sync_host
