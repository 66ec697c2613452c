#include "command_line.h"

#include <algorithm>
#include <set>
#include <string>

#include "console_text.h"
#include "help_request.h"

namespace sync_host {

const char kUsage[] =
    "Usage: SyncHost --device STORE [options]\n"
    "\n"
    "Synchronises the desktop's contacts, through the sync provider registered\n"
    "for \"Contact\", with a simulated device whose contacts are kept in the file\n"
    "STORE (created when missing; see DeviceTool).\n"
    "\n"
    "Options:\n"
    "  --device STORE         the device's contact store\n"
    "  --state FILE           where the host keeps what it knows between\n"
    "                         synchronisations (default: STORE.partnership)\n"
    "  --conflicts POLICY     for a contact changed on both sides: skip (leave\n"
    "                         both, the default), desktop or device (that side's\n"
    "                         version wins)\n"
    "  --options              open the provider's Sync Options dialog first\n"
    "  --remove-duplicates    ask the provider to remove duplicate desktop contacts\n"
    "                         at the end of the synchronisation (the device follows\n"
    "                         at the next one)\n"
    "  --no-sync              do only what --options and --remove-duplicates ask\n"
    "  --quiet                print only the summary and what went wrong, and\n"
    "                         no progress line\n"
    "  --help, /?             this text; nothing else is done\n"
    "\n"
    "The provider keeps the Sync Options choice only while it is loaded, that is\n"
    "for this one run: use --options in the run that synchronises. The dialog\n"
    "needs a display; without one nothing is synchronised.\n"
    "\n"
    "Each contact carried across is a line on standard output, and the counts\n"
    "close the run; what failed, and conflicts left as they were, are named on\n"
    "standard error. On a terminal a progress line shows how far it has come.\n"
    "\n"
    "Exit status: 0 when everything asked was done: every contact synchronised\n"
    "(those the Sync Options leave out apart); 1 when something was left undone:\n"
    "a contact that failed, a conflict left as it was, a dialog that could not\n"
    "open, an operation the provider does not offer, or a failure that stopped\n"
    "the run; 2 for a mistake on the command line, which changes nothing.\n";

HostOptions ParseCommandLine(std::span<const std::wstring_view> args) {
  HostOptions options;
  if (console::AsksForHelp(args)) {
    options.help = true;
    return options;
  }
  std::set<std::wstring_view> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring_view arg = args[i];
    const auto value = [&]() -> std::wstring_view {
      if (i + 1 >= args.size()) throw UsageError(console_text::Utf8(arg) + " needs a value");
      return args[++i];
    };
    // Each option says one thing once: a second one would silently win.
    if (arg.starts_with(L"--") && !given.insert(arg).second) {
      throw UsageError(console_text::Utf8(arg) + " is given twice");
    }
    if (arg == L"--device") {
      options.device = value();
    } else if (arg == L"--state") {
      options.state = value();
    } else if (arg == L"--conflicts") {
      const std::wstring_view text = value();
      const auto policy = ParseConflictPolicy(text);
      if (!policy) throw UsageError("unknown conflict policy \"" + console_text::Utf8(text) + "\" (skip, desktop or device)");
      options.policy = *policy;
    } else if (arg == L"--options") {
      options.optionsDialog = true;
    } else if (arg == L"--remove-duplicates") {
      options.removeDuplicates = true;
    } else if (arg == L"--no-sync") {
      options.synchronise = false;
    } else if (arg == L"--quiet") {
      options.quiet = true;
    } else if (arg == L"--trace") {
      options.trace = true;
    } else if (arg == L"--watch") {
      options.watch = true;
    } else if (arg == L"--date-changed") {
      options.dateChanged = true;
    } else if (arg == L"--remote") {
      options.remote = true;
    } else if (arg == L"--unpair") {
      options.unpair = true;
      options.synchronise = false;
    } else {
      throw UsageError("unknown argument \"" + console_text::Utf8(arg) + "\"");
    }
  }
  if (options.remote && options.optionsDialog) throw UsageError("--options opens a window, which a remote connection must not");
  if (options.watch && !options.synchronise) throw UsageError("--watch synchronises; it cannot go with --no-sync or --unpair");
  if (options.unpair && options.device.empty() && options.state.empty()) {
    throw UsageError("give the device's store with --device (or the host state with --state) for --unpair");
  }
  if (options.synchronise && options.device.empty()) throw UsageError("give the device's store with --device");
  if (!options.synchronise && !options.unpair && !options.optionsDialog && !options.removeDuplicates) {
    throw UsageError("--no-sync leaves nothing to do without --options or --remove-duplicates");
  }
  if (options.state.empty() && !options.device.empty()) {
    options.state = options.device;
    options.state += L".partnership";
  }
  return options;
}

}  // namespace sync_host
