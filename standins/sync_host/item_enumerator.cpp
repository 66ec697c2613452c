#include "item_enumerator.h"

#include <algorithm>
#include <new>

namespace sync_host {

STDMETHODIMP ItemEnumerator::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IEnumReplItem) return E_NOINTERFACE;
  *ppv = static_cast<IEnumReplItem*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ItemEnumerator::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) ItemEnumerator::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP ItemEnumerator::Next(ULONG count, HREPLITEM* items, ULONG* fetched) {
  if (items == nullptr || (fetched == nullptr && count != 1)) return E_POINTER;
  const std::size_t given = std::min<std::size_t>(count, items_.size() - next_);
  std::copy_n(items_.begin() + static_cast<std::ptrdiff_t>(next_), given, items);
  next_ += given;
  if (fetched != nullptr) *fetched = static_cast<ULONG>(given);
  return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP ItemEnumerator::Skip(ULONG count) {
  const std::size_t skipped = std::min<std::size_t>(count, items_.size() - next_);
  next_ += skipped;
  return skipped == count ? S_OK : S_FALSE;
}

STDMETHODIMP ItemEnumerator::Reset() {
  next_ = 0;
  return S_OK;
}

STDMETHODIMP ItemEnumerator::Clone(IEnumReplItem** clone) {
  if (clone == nullptr) return E_POINTER;
  auto* copy = new (std::nothrow) ItemEnumerator(folder_, items_);
  *clone = copy;
  if (copy == nullptr) return E_OUTOFMEMORY;
  copy->next_ = next_;
  return S_OK;
}

}  // namespace sync_host
