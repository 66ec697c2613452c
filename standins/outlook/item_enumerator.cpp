// The enumerator behind Items._NewEnum (a For Each over the collection): the
// items as the folder held them when the enumeration began, each handed out
// as its own item object.
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "com_pointers.h"
#include "dispatch_object.h"
#include "outlook_objects.h"
#include "standin_lock.h"
#include "unknown_object.h"

namespace outlook_standin {
namespace {

class ItemEnumerator final : public UnknownObject<IEnumVARIANT> {
 public:
  ItemEnumerator(std::shared_ptr<const std::vector<journal::StoredItem>> items, std::size_t next)
      : items_(std::move(items)), next_(next) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* items, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (wanted == 0) return S_OK;
    if (!items || (wanted > 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    try {
      for (; given < wanted; ++given) {
        const auto item = Take();
        if (!item) break;
        VariantInit(&items[given]);
        V_VT(&items[given]) = VT_DISPATCH;
        V_DISPATCH(&items[given]) = NewItemObject(std::move(*item)).Detach();
      }
    } catch (const std::bad_alloc&) {
      for (ULONG i = 0; i < given; ++i) VariantClear(&items[i]);
      return E_OUTOFMEMORY;
    }
    if (fetched) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const auto lock = LockStandin();
    const std::size_t left = items_->size() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }

  HRESULT STDMETHODCALLTYPE Reset() override {
    const auto lock = LockStandin();
    next_ = 0;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
    if (!copy) return E_POINTER;
    const auto lock = LockStandin();
    *copy = new (std::nothrow) ItemEnumerator(items_, next_);
    return *copy ? S_OK : E_OUTOFMEMORY;
  }

 private:
  ~ItemEnumerator() = default;

  std::optional<journal::StoredItem> Take() {
    const auto lock = LockStandin();
    if (next_ >= items_->size()) return std::nullopt;
    return (*items_)[next_++];
  }

  const LiveOutlookObject live_;
  // Shared with clones, never changed.
  const std::shared_ptr<const std::vector<journal::StoredItem>> items_;
  std::size_t next_;
};

}  // namespace

IUnknownPtr NewItemEnumerator(std::vector<journal::StoredItem> items) {
  auto shared = std::make_shared<const std::vector<journal::StoredItem>>(std::move(items));
  return IUnknownPtr(static_cast<IEnumVARIANT*>(new ItemEnumerator(std::move(shared), 0)), false);
}

}  // namespace outlook_standin
