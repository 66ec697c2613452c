// The host state file: read at the start of a connection, replaced whole
// and atomically whenever the host records progress, so it always holds
// either the previous or the new state, never a mixture.
#pragma once

#include <filesystem>
#include <optional>

#include "host_state_format.h"

namespace sync_host {

// Nothing when there is no file yet (a first synchronisation). Throws
// HostError when the file cannot be read or is not a host state file.
std::optional<HostState> LoadHostState(const std::filesystem::path& file);
// Writes a new file next to `file`, flushes it and moves it over `file`.
void SaveHostState(const std::filesystem::path& file, const HostState& state);

}  // namespace sync_host
