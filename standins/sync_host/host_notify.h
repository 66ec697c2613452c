// The host's IReplNotify, handed to the provider at Initialize. A provider
// may use it to show status text, find a parent window, or tell the host
// that an item changed; this host shows status text on its console and
// otherwise answers without acting.
#pragma once

#include "sync_provider/service_manager_contract.h"

namespace sync_host {

class HostNotify final : public IReplNotify {
 public:
  HostNotify() = default;
  HostNotify(const HostNotify&) = delete;
  HostNotify& operator=(const HostNotify&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP SetStatusText(LPCSTR text) override;
  STDMETHODIMP_(HWND) GetWindow(UINT flags) override;
  STDMETHODIMP OnItemNotify(UINT code, LPCSTR progId, LPCSTR name, HREPLITEM item, ULONG flags) override;
  STDMETHODIMP QueryDevice(UINT code, void** data) override;
  STDMETHODIMP OnItemCompleted(REPLSETUP* setup) override;

 private:
  // The host owns this object for the whole connection; the count only
  // keeps the COM rules for callers that AddRef and Release it.
  LONG references_ = 1;
};

}  // namespace sync_host
