#include "sync_decision.h"

namespace sync_host {

DeviceSide DeviceSideOf(const std::optional<device::Marks>& marks) {
  if (!marks) return DeviceSide::Missing;
  if (marks->deleted) return DeviceSide::Deleted;
  return marks->changed ? DeviceSide::Changed : DeviceSide::Unchanged;
}

Action DecidePairedAction(DesktopSide desktop, DeviceSide device) {
  switch (desktop) {
    case DesktopSide::Unchanged:
      switch (device) {
        case DeviceSide::Unchanged: return Action::None;
        case DeviceSide::Changed: return Action::ReceiveFromDevice;
        case DeviceSide::Deleted: return Action::DeleteOnDesktop;
        case DeviceSide::Missing: return Action::SendToDevice;
      }
      break;
    case DesktopSide::Changed:
      return device == DeviceSide::Changed ? Action::ResolveConflict : Action::SendToDevice;
    case DesktopSide::Deleted:
      switch (device) {
        case DeviceSide::Unchanged: return Action::DeleteOnDevice;
        case DeviceSide::Changed: return Action::RecreateOnDesktop;
        case DeviceSide::Deleted:
        case DeviceSide::Missing: return Action::Forget;
      }
      break;
  }
  return Action::None;
}

}  // namespace sync_host
