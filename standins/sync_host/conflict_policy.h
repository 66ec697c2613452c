// The user's choice for a contact changed on both sides.
#pragma once

#include <optional>
#include <string_view>

namespace sync_host {

enum class ConflictPolicy {
  Skip,         // leave both versions; the conflict comes back next time
  DesktopWins,  // the desktop's version replaces the device's
  DeviceWins,   // the device's version replaces the desktop's
};

// "skip", "desktop" or "device".
std::optional<ConflictPolicy> ParseConflictPolicy(std::wstring_view text);

}  // namespace sync_host
