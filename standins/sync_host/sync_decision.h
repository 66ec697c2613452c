// What to do with a desktop contact and the device contact paired with it,
// from what happened to each since the last synchronisation. An edit always
// beats a deletion on the other side, so no edited contact is ever lost.
// Plain C++, no Windows header.
#pragma once

#include <optional>

#include "device_store_format.h"

namespace sync_host {

enum class DesktopSide { Unchanged, Changed, Deleted };
enum class DeviceSide { Unchanged, Changed, Deleted, Missing };

enum class Action {
  None,
  SendToDevice,       // the desktop's version replaces (or restores) the device's
  ReceiveFromDevice,  // the device's version replaces the desktop's
  ResolveConflict,    // both changed: describe, then follow the user's policy
  DeleteOnDesktop,
  DeleteOnDevice,
  RecreateOnDesktop,  // edited on the device, deleted on the desktop
  Forget,             // gone on both sides: drop the pair
};

// Missing: the device holds no contact with the paired object id at all.
DeviceSide DeviceSideOf(const std::optional<device::Marks>& marks);

Action DecidePairedAction(DesktopSide desktop, DeviceSide device);

}  // namespace sync_host
