// Quillmere without a window, for scripts:
//
//   Quillmere.exe /export <path> [/entryid <id>]...   all contacts, or only those named
//   Quillmere.exe /import <path>
//   Quillmere.exe /?
//
// The same operations as the Export and Import buttons, on a path given
// whole (".fs" is not appended); the result text is printed in the
// configured language. Exit code 0 on success, 1 on failure, 2 for a command
// line that cannot be understood. It does not take the single-instance
// marker, so it also runs next to an open main window.
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
};

// Nothing when there are no arguments: the program opens its main window.
// `arguments` excludes the program's own name.
std::optional<CommandLineRequest> ParseCommandLine(const std::vector<std::wstring>& arguments);

// Runs the request, printing to the standard output (or, failing that, to
// the console of the parent process); answers the exit code.
int RunCommandLine(const CommandLineRequest& request);

}  // namespace quillmere
