// The one process-wide lock that guards all of the stand-in's shared state:
// the folder, every item object's data and every collection's position.
// Functions that need it held take the lock as a parameter.
#pragma once

#include <mutex>

namespace outlook_standin {

using StandinLock = std::unique_lock<std::mutex>;

StandinLock LockStandin();

}  // namespace outlook_standin
