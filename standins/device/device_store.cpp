#include "device_store.h"

#include <objbase.h>

#include <array>
#include <limits>
#include <string>

#include "console_text.h"

namespace device {
namespace {

using console_text::PathUtf8;

std::string Describe(const std::filesystem::path& file, const char* what, DWORD error) {
  return std::string(what) + " " + PathUtf8(file) + ": " + console_text::Win32ErrorText(error);
}

std::vector<std::byte> ReadWhole(HANDLE handle, const std::filesystem::path& file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle, &size)) throw StoreError(Describe(file, "cannot read", GetLastError()));
  if (size.QuadPart > std::numeric_limits<DWORD>::max()) throw StoreError(PathUtf8(file) + " is too large for a device store");
  std::vector<std::byte> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    throw StoreError(Describe(file, "cannot read", GetLastError()));
  }
  return bytes;
}

std::uint32_t NewIdentity() {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) throw StoreError("no random device identity could be made");
  const std::uint32_t identity = guid.Data1 ^ (std::uint32_t{guid.Data2} << 16 | guid.Data3) ^
                                 (std::uint32_t{guid.Data4[0]} << 24 | std::uint32_t{guid.Data4[1]} << 16 |
                                  std::uint32_t{guid.Data4[6]} << 8 | guid.Data4[7]);
  return identity == kNoIdentity ? 1 : identity;
}

}  // namespace

DeviceStore::DeviceStore(const std::filesystem::path& file, Access access) : file_(file), access_(access) {
  const bool change = access != Access::Read;
  handle_ = CreateFileW(file.c_str(), change ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ,
                        nullptr, access == Access::Change ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION) throw StoreError("the device store " + PathUtf8(file) + " is in use by another program");
    if (error == ERROR_FILE_NOT_FOUND) throw StoreError("there is no device store at " + PathUtf8(file));
    throw StoreError(Describe(file, "cannot open", error));
  }
  try {
    const std::vector<std::byte> bytes = ReadWhole(handle_, file);
    if (!bytes.empty()) image_ = DecodeStore(bytes);
    if (change && image_.identity == kNoIdentity) {
      image_.identity = NewIdentity();
      WriteHeader();
    }
    for (std::size_t i = 0; i < image_.slots.size(); ++i) {
      if (image_.slots[i].IsFree()) {
        freeSlots_.push(i);
      } else {
        slotOf_.emplace(image_.slots[i].objectId, i);
      }
    }
  } catch (const FormatError& error) {
    CloseHandle(handle_);
    throw StoreError(PathUtf8(file) + ": " + error.what());
  } catch (...) {
    CloseHandle(handle_);
    throw;
  }
}

DeviceStore::~DeviceStore() {
  if (access_ != Access::Read) FlushFileBuffers(handle_);
  CloseHandle(handle_);
}

std::vector<Entry> DeviceStore::Entries() const {
  std::vector<Entry> entries;
  for (const Slot& slot : image_.slots) {
    if (!slot.IsFree()) entries.push_back({slot.objectId, slot.marks, slot.record});
  }
  return entries;
}

std::optional<Entry> DeviceStore::Find(std::uint32_t objectId) const {
  const auto index = SlotOf(objectId);
  if (!index) return std::nullopt;
  const Slot& slot = image_.slots[*index];
  return Entry{slot.objectId, slot.marks, slot.record};
}

std::uint32_t DeviceStore::Add(const contact_core::ContactRecord& record, Marks marks) {
  RequireChange();
  if (image_.nextObjectId == std::numeric_limits<std::uint32_t>::max()) {
    throw StoreError("the device store has handed out every object id");
  }
  // The id is taken for good before the contact is written, so it can never
  // be handed out twice, whenever the program stops.
  const std::uint32_t objectId = image_.nextObjectId;
  image_.nextObjectId = objectId + 1;
  WriteHeader();
  Put(objectId, record, marks);
  return objectId;
}

void DeviceStore::Put(std::uint32_t objectId, const contact_core::ContactRecord& record, Marks marks) {
  RequireChange();
  if (!HandedOut(objectId)) {
    throw std::invalid_argument("object id " + std::to_string(objectId) + " was never handed out by this device");
  }
  const auto known = SlotOf(objectId);
  const std::size_t slotsBefore = image_.slots.size();
  const std::size_t index = known ? *known : FreeSlot();
  const Slot previous = image_.slots[index];
  image_.slots[index] = {objectId, marks, record};
  try {
    WriteSlot(index);
  } catch (...) {
    // A write the device cannot take (its memory is full) leaves the store
    // as it was: a slot that grew the file goes again, even when the write
    // got part of the way, and any other slot gets its old content back.
    image_.slots[index] = previous;
    if (index >= slotsBefore) {
      image_.slots.resize(slotsBefore);
      TruncateTo(SlotOffset(slotsBefore));
    } else {
      if (!known) freeSlots_.push(index);
      RestoreSlot(index);
    }
    throw;
  }
  slotOf_.emplace(objectId, index);
}

bool DeviceStore::HandedOut(std::uint32_t objectId) const {
  return objectId != kFreeSlot && objectId < image_.nextObjectId;
}

void DeviceStore::SetMarks(std::uint32_t objectId, Marks marks) {
  RequireChange();
  const auto index = SlotOf(objectId);
  if (!index) throw std::invalid_argument("the device holds no contact " + std::to_string(objectId));
  image_.slots[*index].marks = marks;
  WriteSlot(*index);
}

void DeviceStore::Remove(std::uint32_t objectId) {
  RequireChange();
  const auto index = SlotOf(objectId);
  if (!index) return;
  image_.slots[*index] = Slot{};
  WriteSlot(*index);
  slotOf_.erase(objectId);
  freeSlots_.push(*index);
}

std::optional<std::size_t> DeviceStore::SlotOf(std::uint32_t objectId) const {
  const auto found = slotOf_.find(objectId);
  if (found == slotOf_.end()) return std::nullopt;
  return found->second;
}

std::size_t DeviceStore::FreeSlot() {
  // The earliest free slot first, so the device keeps its order compact.
  if (!freeSlots_.empty()) {
    const std::size_t index = freeSlots_.top();
    freeSlots_.pop();
    return index;
  }
  image_.slots.emplace_back();
  return image_.slots.size() - 1;
}

void DeviceStore::WriteHeader() {
  std::array<std::byte, kHeaderSize> header{};
  EncodeHeader(image_.nextObjectId, image_.identity, header);
  WriteAt(0, header);
}

void DeviceStore::WriteSlot(std::size_t index) {
  std::array<std::byte, kSlotSize> bytes{};
  EncodeSlot(image_.slots[index], bytes);
  WriteAt(SlotOffset(index), bytes);
}

void DeviceStore::TruncateTo(std::size_t size) noexcept {
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(size);
  if (SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) SetEndOfFile(handle_);
}

void DeviceStore::RestoreSlot(std::size_t index) noexcept {
  try {
    WriteSlot(index);
  } catch (...) {
    // The write that failed is being reported; this one was a last try.
  }
}

void DeviceStore::WriteAt(std::size_t offset, std::span<const std::byte> bytes) {
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  DWORD written = 0;
  if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN) ||
      !WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw StoreError(Describe(file_, "cannot write", GetLastError()));
  }
}

void DeviceStore::RequireChange() const {
  if (access_ == Access::Read) throw std::logic_error("the device store was opened for reading only");
}

}  // namespace device
