#include "process_ending.h"

#include <tlhelp32.h>

#include <cwchar>

#include "com_pointers.h"

namespace outlook_standin {
namespace {

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

constexpr DWORD kEndingTimeoutMs = 10000;

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace

void EndProcess(DWORD id) {
  const OwnedHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
  if (!process.Valid()) return;
  if (!TerminateProcess(process.Get(), 9) && WaitForSingleObject(process.Get(), 0) != WAIT_OBJECT_0) {
    _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
  }
  if (WaitForSingleObject(process.Get(), kEndingTimeoutMs) != WAIT_OBJECT_0) {
    _com_issue_error(HRESULT_FROM_WIN32(ERROR_TIMEOUT));
  }
}

void ForgetDeadServers() {
  if (!RunningUnderWine()) return;
  const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, L"rpcss.exe") == 0) EndProcess(entry.th32ProcessID);
  }
}

}  // namespace outlook_standin
