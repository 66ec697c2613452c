// Runs one of the stand-in programs as a child process, the way a person or
// a script does, and collects what it prints.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace standin_testing {

struct Finished {
  DWORD exitCode = 0;
  std::string output;  // standard output and standard error together, UTF-8, lines ending in LF
};

// The program next to the running test, by file name.
std::filesystem::path ProgramBesideTest(const wchar_t* fileName);

// Starts `program` with `args`; its output is read line by line. The child
// inherits this process's environment.
class ChildProcess {
 public:
  ChildProcess(const std::filesystem::path& program, const std::vector<std::wstring>& args);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // A child still running after this long fails the test and is ended.
  static constexpr std::chrono::seconds kTimeLimit{120};

  // The next whole line (without its line break), or nothing once the child
  // has ended.
  std::optional<std::string> NextLine();
  // Reads the rest of the output and waits for the end.
  Finished Wait();
  // Ends the child at once, as a crash or a kill would, with this exit code.
  static constexpr DWORD kKilled = 9;
  void Kill();
  DWORD Id() const { return process_.dwProcessId; }
  bool HasEnded() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

 private:
  bool ReadMore(std::chrono::steady_clock::time_point deadline);

  PROCESS_INFORMATION process_{};
  HANDLE output_ = nullptr;
  std::string pending_;
  std::string everything_;
};

Finished Run(const std::filesystem::path& program, const std::vector<std::wstring>& args);

// A folder of its own under the temporary folder, removed with everything in
// it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const wchar_t* purpose);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const wchar_t* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace standin_testing
