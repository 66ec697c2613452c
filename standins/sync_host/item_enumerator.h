// The enumerator of a folder's item handles that the service manager hands
// to ActivateDialog, over the handles the host keeps. It owns none of them:
// they stay valid for as long as the dialog runs.
#pragma once

#include <span>
#include <vector>

#include "sync_provider/service_manager_contract.h"

namespace sync_host {

class ItemEnumerator final : public IEnumReplItem {
 public:
  ItemEnumerator(HREPLFLD folder, std::span<const HREPLITEM> items) : folder_(folder), items_(items.begin(), items.end()) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP Next(ULONG count, HREPLITEM* items, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumReplItem** clone) override;
  STDMETHODIMP_(HREPLFLD) GetFolderHandle() override { return folder_; }

 private:
  ~ItemEnumerator() = default;

  LONG references_ = 1;
  HREPLFLD folder_;
  std::vector<HREPLITEM> items_;
  std::size_t next_ = 0;
};

}  // namespace sync_host
