// Quillmere without a window, for scripts:
//
//   Quillmere.exe /export <path> [/entryid <id>]... [/quiet]   all contacts, or only those named
//   Quillmere.exe /import <path> [/quiet]
//   Quillmere.exe /?            (or /help, --help)
//
// The same operations as the Export and Import buttons, on a path given
// whole (".fs" is not appended). The result text the window would show comes
// first, in the configured language, then a line of our own with the counts;
// a failure goes to standard error and names its reason and the file or
// contact it concerns. An export appends to an existing file; one that would
// write nothing fails and makes no file. On a console a progress line follows
// long work, unless /quiet. Exit code 0 when all of it was done, 1 when
// something was left undone, 2 for a command line that cannot be understood
// (it changes nothing). It does not take the single-instance marker, so it
// also runs next to an open main window.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillmere {

// What the command line asks for.
struct CommandLineRequest {
  enum class Action { Export, Import, Help, Invalid };
  Action action = Action::Invalid;
  std::wstring path;
  std::vector<std::wstring> entryIds;  // for an export: empty means all contacts
  bool quiet = false;                  // no progress line
  std::wstring problem;                // for Invalid: what was not understood, naming the argument
};

// Nothing when there are no arguments: the program opens its main window.
// `arguments` excludes the program's own name.
std::optional<CommandLineRequest> ParseCommandLine(const std::vector<std::wstring>& arguments);

// Runs the request, printing results to the standard output and failures to
// standard error (or, failing those, to the console of the parent process);
// answers the exit code.
int RunCommandLine(const CommandLineRequest& request);

}  // namespace quillmere
