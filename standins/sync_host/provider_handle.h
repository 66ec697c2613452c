// Owns one handle that the provider handed to the host: the host gives every
// such handle back through FreeObject, exactly once.
#pragma once

#include <utility>

#include "sync_provider/service_manager_contract.h"

namespace sync_host {

class ProviderHandle {
 public:
  ProviderHandle() = default;
  ProviderHandle(IReplStore* store, HREPLOBJ handle) : store_(store), handle_(handle) {}
  ~ProviderHandle() { Free(); }
  ProviderHandle(ProviderHandle&& other) noexcept
      : store_(other.store_), handle_(std::exchange(other.handle_, nullptr)) {}
  ProviderHandle& operator=(ProviderHandle&& other) noexcept {
    if (this != &other) {
      Free();
      store_ = other.store_;
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }

  explicit operator bool() const { return handle_ != nullptr; }
  HREPLOBJ Object() const { return handle_; }
  HREPLITEM Item() const { return reinterpret_cast<HREPLITEM>(handle_); }
  HREPLFLD Folder() const { return reinterpret_cast<HREPLFLD>(handle_); }

 private:
  void Free() {
    if (handle_ != nullptr) store_->FreeObject(std::exchange(handle_, nullptr));
  }

  IReplStore* store_ = nullptr;
  HREPLOBJ handle_ = nullptr;
};

}  // namespace sync_host
