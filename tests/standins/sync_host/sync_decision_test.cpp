// What the host does with a paired contact, for every combination of what
// happened on the desktop and on the device.
#include <gtest/gtest.h>

#include "sync_decision.h"

namespace sync_host {
namespace {

TEST(SyncDecision, EveryCombinationOfDesktopAndDevice) {
  using enum Action;
  struct Case {
    DesktopSide desktop;
    DeviceSide device;
    Action action;
  };
  const Case cases[] = {
      {DesktopSide::Unchanged, DeviceSide::Unchanged, None},
      {DesktopSide::Unchanged, DeviceSide::Changed, ReceiveFromDevice},
      {DesktopSide::Unchanged, DeviceSide::Deleted, DeleteOnDesktop},
      {DesktopSide::Unchanged, DeviceSide::Missing, SendToDevice},
      {DesktopSide::Changed, DeviceSide::Unchanged, SendToDevice},
      {DesktopSide::Changed, DeviceSide::Changed, ResolveConflict},
      {DesktopSide::Changed, DeviceSide::Deleted, SendToDevice},  // the edit beats the deletion
      {DesktopSide::Changed, DeviceSide::Missing, SendToDevice},
      {DesktopSide::Deleted, DeviceSide::Unchanged, DeleteOnDevice},
      {DesktopSide::Deleted, DeviceSide::Changed, RecreateOnDesktop},  // the edit beats the deletion
      {DesktopSide::Deleted, DeviceSide::Deleted, Forget},
      {DesktopSide::Deleted, DeviceSide::Missing, Forget},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecidePairedAction(c.desktop, c.device), c.action)
        << "desktop " << static_cast<int>(c.desktop) << ", device " << static_cast<int>(c.device);
  }
}

TEST(SyncDecision, TheDevicesMarksTellItsSide) {
  EXPECT_EQ(DeviceSideOf(std::nullopt), DeviceSide::Missing);
  EXPECT_EQ(DeviceSideOf(device::Marks{}), DeviceSide::Unchanged);
  EXPECT_EQ(DeviceSideOf(device::Marks{.changed = true}), DeviceSide::Changed);
  EXPECT_EQ(DeviceSideOf(device::Marks{.changed = true, .deleted = true}), DeviceSide::Deleted);
}

}  // namespace
}  // namespace sync_host
