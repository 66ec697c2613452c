#include "local_server.h"

#include <objbase.h>

#include "class_factories.h"
#include "com_pointers.h"
#include "dispatch_object.h"
#include "outlook_ids.h"

namespace outlook_standin {
namespace {

// How long the server stays after its last client left: a client that
// reconnects at once (a program's next command, say) finds it still there
// instead of racing its shutdown.
constexpr DWORD kLingerMs = 2000;
// How long a server that COM started waits for its first client.
constexpr DWORD kUnclaimedMs = 30000;
// How long the server serves on after revoking its classes, for a client
// that found it just before.
constexpr DWORD kDrainMs = 500;
constexpr UINT kCheckIntervalMs = 250;

DWORD Register(const GUID& classId, IClassFactory* factory) {
  if (!factory) _com_issue_error(E_OUTOFMEMORY);
  const IClassFactoryPtr owner(factory, false);
  DWORD cookie = 0;
  const HRESULT registered =
      CoRegisterClassObject(classId, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
  if (FAILED(registered)) _com_issue_error(registered);
  return cookie;
}

// A single-threaded apartment receives its calls as window messages. Where no
// window can be made (Wine without a display, say) nothing could ever be
// served, so the server says so at once instead of leaving clients waiting.
void RequireWindows() {
  const HWND probe = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!probe) _com_issue_error(HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_WINDOW_HANDLE));
  DestroyWindow(probe);
}

bool ClientsPresent() { return LiveDispatchObjects() > 0 || LivePrivateObjects() > 0 || ServerLocked(); }

// Pumps messages, which carry the clients' calls, until `clientsPresent` has
// been false for `allowedIdle` ms at first, and for `lingerMs` once a client
// came; or until WM_QUIT.
template <class ClientCheck>
void ServeUntilIdle(DWORD allowedIdle, DWORD lingerMs, ClientCheck clientsPresent) {
  DWORD idleSince = GetTickCount();
  MSG message;
  for (;;) {
    const BOOL received = GetMessageW(&message, nullptr, 0, 0);
    if (received == 0 || received == -1) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    if (clientsPresent()) {
      idleSince = GetTickCount();
      allowedIdle = lingerMs;
    } else if (GetTickCount() - idleSince >= allowedIdle) {
      return;
    }
  }
}

}  // namespace

LocalServer::LocalServer() {
  RequireWindows();
  anchors_.emplace();
  applicationCookie_ = Register(kApplicationClassId, NewApplicationFactory());
  try {
    controlCookie_ = Register(kControlClassId, NewControlFactory());
  } catch (...) {
    RevokeClasses();
    throw;
  }
}

LocalServer::~LocalServer() { RevokeClasses(); }

void LocalServer::Run() {
  const UINT_PTR timer = SetTimer(nullptr, 0, kCheckIntervalMs, nullptr);
  ServeUntilIdle(kUnclaimedMs, kLingerMs, ClientsPresent);
  // Once its classes are revoked no new client finds the server; one that
  // found it a moment before still has its calls served, so that none is left
  // waiting for an apartment that has gone.
  RevokeClasses();
  ServeUntilIdle(kDrainMs, kDrainMs, [] { return ClientsPresent() || FactoriesInUse(); });
  KillTimer(nullptr, timer);
}

void LocalServer::RevokeClasses() {
  for (DWORD* cookie : {&controlCookie_, &applicationCookie_}) {
    if (*cookie) CoRevokeClassObject(*cookie);
    *cookie = 0;
  }
}

}  // namespace outlook_standin
