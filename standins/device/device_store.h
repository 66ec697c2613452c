// The simulated device's contact store file, opened for reading or for
// changing. Every change is written through at once, each as one write in
// place, so a program killed between two changes leaves a whole store.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <queue>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "device_store_format.h"

namespace device {

// The store could not be opened, read or written; what() says why.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One contact on the device.
struct Entry {
  std::uint32_t objectId;
  Marks marks;
  contact_core::ContactRecord record;
};

class DeviceStore {
 public:
  enum class Access {
    Read,    // others may read too, nobody may write meanwhile
    Change,          // creates a missing store; others may read, nobody else may write
    ChangeExisting,  // as Change, but a missing store is an error and is not created
  };

  DeviceStore(const std::filesystem::path& file, Access access);
  ~DeviceStore();
  DeviceStore(const DeviceStore&) = delete;
  DeviceStore& operator=(const DeviceStore&) = delete;

  // The random number that tells this device from another one at the same
  // path; never 0 once the store has been opened for change.
  std::uint32_t Identity() const { return image_.identity; }

  // The contacts in device order, those marked deleted included.
  std::vector<Entry> Entries() const;
  std::optional<Entry> Find(std::uint32_t objectId) const;

  // Stores a new contact under a new object id and answers the id.
  std::uint32_t Add(const contact_core::ContactRecord& record, Marks marks);
  // Whether Add has ever answered `objectId`.
  bool HandedOut(std::uint32_t objectId) const;
  // Replaces the contact `objectId`, or stores it again under that id when
  // the device no longer holds it; the id must have been handed out.
  void Put(std::uint32_t objectId, const contact_core::ContactRecord& record, Marks marks);
  void SetMarks(std::uint32_t objectId, Marks marks);
  // Frees the contact's slot; the id is never handed out again.
  void Remove(std::uint32_t objectId);

 private:
  std::optional<std::size_t> SlotOf(std::uint32_t objectId) const;
  std::size_t FreeSlot();
  void WriteHeader();
  void WriteSlot(std::size_t index);
  void WriteAt(std::size_t offset, std::span<const std::byte> bytes);
  // After a write that failed: cut the file back to `size`, or write the
  // image's slot again, as far as the device lets it.
  void TruncateTo(std::size_t size) noexcept;
  void RestoreSlot(std::size_t index) noexcept;
  void RequireChange() const;

  std::filesystem::path file_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  Access access_;
  StoreImage image_;
  std::unordered_map<std::uint32_t, std::size_t> slotOf_;
  // Earliest first: a device that lost many contacts and gains as many finds
  // each free slot without a search.
  std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> freeSlots_;
};

}  // namespace device
