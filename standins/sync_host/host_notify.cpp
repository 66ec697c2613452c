#include "host_notify.h"

#include <cstdio>

#include "console_text.h"

namespace sync_host {

STDMETHODIMP HostNotify::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown) return E_NOINTERFACE;
  *ppv = static_cast<IUnknown*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) HostNotify::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) HostNotify::Release() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

STDMETHODIMP HostNotify::SetStatusText(LPCSTR text) {
  if (text != nullptr) std::printf("provider: %s\n", console_text::AnsiToUtf8(text).c_str());
  return S_OK;
}

STDMETHODIMP_(HWND) HostNotify::GetWindow(UINT) { return GetConsoleWindow(); }

STDMETHODIMP HostNotify::OnItemNotify(UINT, LPCSTR, LPCSTR, HREPLITEM, ULONG) { return S_OK; }

STDMETHODIMP HostNotify::QueryDevice(UINT, void** data) {
  if (data != nullptr) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP HostNotify::OnItemCompleted(REPLSETUP*) { return S_OK; }

}  // namespace sync_host
