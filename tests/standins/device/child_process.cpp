#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace standin_testing {
namespace {

std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

}  // namespace

std::filesystem::path ProgramBesideTest(const wchar_t* fileName) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / fileName;
}

ChildProcess::ChildProcess(const std::filesystem::path& program, const std::vector<std::wstring>& args) {
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE write = nullptr;
  if (!CreatePipe(&output_, &write, &inheritable, 0)) throw std::runtime_error("CreatePipe failed");
  SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
  std::wstring commandLine = Quoted(program.wstring());
  for (const auto& arg : args) commandLine += L" " + Quoted(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write;
  startup.hStdError = write;
  // Wine now and then fails to start a process with ERROR_INTERNAL_ERROR (seen
  // about once in 30 full test runs); the same start a moment later succeeds.
  BOOL started = FALSE;
  DWORD error = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 3; ++attempt) {
    started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &process_);
    error = started ? ERROR_SUCCESS : GetLastError();
    if (started || error != ERROR_INTERNAL_ERROR) break;
    Sleep(200);
  }
  CloseHandle(write);
  if (!started) {
    CloseHandle(output_);
    throw std::runtime_error("could not start " + program.string() + " (error " + std::to_string(error) + ")");
  }
}

ChildProcess::~ChildProcess() {
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) Kill();
  CloseHandle(output_);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool ChildProcess::ReadMore(std::chrono::steady_clock::time_point deadline) {
  // Polls rather than blocks, so a child that hangs cannot hang the test.
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr)) return false;  // closed
    if (available > 0) {
      char buffer[4096];
      DWORD read = 0;
      if (!ReadFile(output_, buffer, std::min<DWORD>(available, sizeof buffer), &read, nullptr) || read == 0) return false;
      pending_.append(buffer, read);
      everything_.append(buffer, read);
      return true;
    }
    if (WaitForSingleObject(process_.hProcess, 10) == WAIT_OBJECT_0) {
      // Ended: whatever it wrote is in the pipe already.
      if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr) || available == 0) return false;
      continue;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      Kill();
      ADD_FAILURE() << "the child did not end in time; its output so far:\n" << everything_;
      return false;
    }
  }
}

std::optional<std::string> ChildProcess::NextLine() {
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  for (;;) {
    const auto end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (!ReadMore(deadline)) {
      if (pending_.empty()) return std::nullopt;
      return std::exchange(pending_, {});
    }
  }
}

Finished ChildProcess::Wait() {
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  while (ReadMore(deadline)) {
  }
  WaitForSingleObject(process_.hProcess, INFINITE);
  Finished finished;
  GetExitCodeProcess(process_.hProcess, &finished.exitCode);
  // Windows programs end their lines with CR LF; the tests compare lines.
  for (const char c : everything_) {
    if (c == '\n' && !finished.output.empty() && finished.output.back() == '\r') finished.output.pop_back();
    finished.output.push_back(c);
  }
  return finished;
}

void ChildProcess::Kill() {
  TerminateProcess(process_.hProcess, kKilled);
  WaitForSingleObject(process_.hProcess, INFINITE);
}

Finished Run(const std::filesystem::path& program, const std::vector<std::wstring>& args) {
  return ChildProcess(program, args).Wait();
}

ScratchFolder::ScratchFolder(const wchar_t* purpose) {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  path_ = std::filesystem::path(temp) / (std::wstring(L"qm-") + purpose + L"-" + std::to_wstring(GetCurrentProcessId()) +
                                         L"-" + std::to_wstring(counter++));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace standin_testing
