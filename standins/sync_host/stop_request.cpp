#include "stop_request.h"

#include <atomic>
#include <string>
#include <system_error>

namespace sync_host {
namespace {

std::atomic<HANDLE> g_stopEvent{nullptr};

BOOL WINAPI OnConsoleControl(DWORD control) {
  if (control != CTRL_C_EVENT && control != CTRL_BREAK_EVENT && control != CTRL_CLOSE_EVENT) return FALSE;
  if (const HANDLE event = g_stopEvent.load()) SetEvent(event);
  return TRUE;
}

}  // namespace

StopRequest::StopRequest() {
  const std::wstring name = L"SyncHost.Stop." + std::to_wstring(GetCurrentProcessId());
  event_ = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
  if (event_ == nullptr) throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEvent");
  g_stopEvent = event_;
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopRequest::~StopRequest() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  g_stopEvent = nullptr;
  CloseHandle(event_);
}

}  // namespace sync_host
