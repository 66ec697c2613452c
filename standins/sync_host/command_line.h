// What the person asked SyncHost to do, from its command line.
#pragma once

#include <filesystem>
#include <span>
#include <stdexcept>
#include <string_view>

#include "conflict_policy.h"

namespace sync_host {

struct HostOptions {
  bool help = false;
  std::filesystem::path device;
  std::filesystem::path state;  // defaults to the device store's name + ".partnership"
  ConflictPolicy policy = ConflictPolicy::Skip;
  bool optionsDialog = false;
  bool removeDuplicates = false;
  bool synchronise = true;
  bool quiet = false;
  bool trace = false;         // every call into the provider, one line each
  bool watch = false;         // keep running, synchronising at each change found
  bool dateChanged = false;   // the system date changed since the last run
  bool remote = false;        // the device is connected remotely: no windows
  bool unpair = false;        // forget the partnership, synchronise nothing
};

class UsageError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

extern const char kUsage[];

// --help or /? anywhere asks for the usage alone. Throws UsageError, naming
// the argument, for an unknown one, an option given twice, a missing value,
// a missing device store, or nothing to do.
HostOptions ParseCommandLine(std::span<const std::wstring_view> args);

}  // namespace sync_host
