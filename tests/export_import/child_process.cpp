#include "child_process.h"

#include <optional>
#include <thread>

#include "dialog.h"

namespace quillmere::testing {

namespace {

constexpr DWORD kPatience = 30000;  // ms: Wine starts a process in well under a second
constexpr DWORD kPollInterval = 20;  // ms

PROCESS_INFORMATION Start(const std::wstring& arguments, STARTUPINFOW& startup, BOOL inherit_handles) {
  std::wstring command_line = L"\"" + ProgramPath() + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(ProgramPath().c_str(), command_line.data(), nullptr, nullptr, inherit_handles, 0, nullptr,
                      nullptr, &startup, &process)) {
    return {};
  }
  CloseHandle(process.hThread);
  return process;
}

// Reads a pipe to its end on a thread of its own, so that neither pipe can
// fill up and stall the child.
class PipeReader {
 public:
  PipeReader() {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    CreatePipe(&read_, &write_, &inheritable, 0);
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
  }
  ~PipeReader() {
    if (write_ != nullptr) CloseHandle(write_);
    if (reader_.joinable()) reader_.join();
    CloseHandle(read_);
  }
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;

  HANDLE WriteEnd() const { return write_; }
  // Once the child holds the write end, the reader reads until it is closed.
  void StartReading() {
    CloseHandle(write_);
    write_ = nullptr;
    reader_ = std::thread([this] {
      char buffer[4096];
      DWORD read = 0;
      while (ReadFile(read_, buffer, sizeof buffer, &read, nullptr) && read > 0) text_.append(buffer, read);
    });
  }
  std::string Text() {
    if (reader_.joinable()) reader_.join();
    return text_;
  }

 private:
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
  std::thread reader_;
  std::string text_;
};

struct WindowSearch {
  DWORD id;
  const std::wstring* title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<WindowSearch*>(search_address);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.id || WindowText(window) != *search.title) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

std::wstring ProgramPath() { return QUILLMERE_EXE; }

ChildProcess::ChildProcess(const std::wstring& arguments) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  const PROCESS_INFORMATION process = Start(arguments, startup, FALSE);
  process_ = process.hProcess;
  id_ = process.dwProcessId;
}

ChildProcess::~ChildProcess() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, kPatience);
  }
  CloseHandle(process_);
}

HWND ChildProcess::WaitForWindow(const std::wstring& title) const {
  for (DWORD waited = 0; waited < kPatience; waited += kPollInterval) {
    if (const HWND window = WindowOfProcess(id_, title)) return window;
    if (WaitForSingleObject(process_, kPollInterval) != WAIT_TIMEOUT) return WindowOfProcess(id_, title);
  }
  return nullptr;
}

std::optional<DWORD> ChildProcess::WaitForExit() const {
  if (WaitForSingleObject(process_, kPatience) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

CommandResult RunCommand(const std::wstring& arguments) {
  PipeReader output;
  PipeReader errors;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output.WriteEnd();
  startup.hStdError = errors.WriteEnd();
  const PROCESS_INFORMATION process = Start(arguments, startup, TRUE);
  output.StartReading();
  errors.StartReading();
  CommandResult result{static_cast<DWORD>(-1), {}, {}};
  if (process.hProcess != nullptr) {
    if (WaitForSingleObject(process.hProcess, kPatience) == WAIT_OBJECT_0) {
      GetExitCodeProcess(process.hProcess, &result.exitCode);
    } else {
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
  }
  result.output = output.Text();
  result.errors = errors.Text();
  return result;
}

HWND WindowOfProcess(DWORD id, const std::wstring& title) {
  WindowSearch search{id, &title};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace quillmere::testing
