// Starting the real Quillmere.exe from a test, as a separate process of the
// same Wine prefix.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace quillmere::testing {

// The program under test, built next to the tests (see CMakeLists.txt).
std::wstring ProgramPath();

// A started process; ended (and waited for) when the object goes.
class ChildProcess {
 public:
  explicit ChildProcess(const std::wstring& arguments);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_; }
  // Waits until the process shows a top-level window titled `title` and
  // answers it; null when the process ends first or takes longer than any
  // start does. (Being idle says nothing: a process can wait for input long
  // before its main window exists.)
  HWND WaitForWindow(const std::wstring& title) const;
  // Waits for the end; answers the exit code, or nothing on a time-out.
  std::optional<DWORD> WaitForExit() const;

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

struct CommandResult {
  DWORD exitCode = 0;
  std::string output;  // standard output, as bytes
  std::string errors;  // standard error, as bytes
};

// Runs the program with `arguments` to its end, collecting what it prints.
CommandResult RunCommand(const std::wstring& arguments);

// The top-level window of process `id` whose title is `title`, or null.
HWND WindowOfProcess(DWORD id, const std::wstring& title);

}  // namespace quillmere::testing
