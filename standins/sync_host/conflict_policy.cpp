#include "conflict_policy.h"

namespace sync_host {

std::optional<ConflictPolicy> ParseConflictPolicy(std::wstring_view text) {
  if (text == L"skip") return ConflictPolicy::Skip;
  if (text == L"desktop") return ConflictPolicy::DesktopWins;
  if (text == L"device") return ConflictPolicy::DeviceWins;
  return std::nullopt;
}

}  // namespace sync_host
