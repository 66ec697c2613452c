// The handle objects behind HREPLOBJ, HREPLITEM and HREPLFLD: one folder
// handle for the Contacts folder and one item handle per contact. Handles
// carry no Outlook object, so the service manager may hold them as long as it
// likes; whoever needs the contact again looks it up by EntryID.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "entry_id_text.h"
#include "service_manager_contract.h"

namespace pelloquin {

inline constexpr std::uint32_t OT_ITEM = 1;
inline constexpr std::uint32_t OT_FOLDER = 2;

class CReplObject {
 public:
  virtual ~CReplObject();
  CReplObject(const CReplObject&) = delete;
  CReplObject& operator=(const CReplObject&) = delete;

  std::uint32_t Type() const { return m_uType; }

  // Handle objects alive in this process, for leak checks.
  static long LiveCount() { return s_live.load(); }

 protected:
  explicit CReplObject(std::uint32_t type);

 private:
  std::uint32_t m_uType;
  static std::atomic<long> s_live;
};

class CItem final : public CReplObject {
 public:
  CItem() : CReplObject(OT_ITEM) {}

  SharedEntryId m_EntryID;  // null in a new handle
  DATE m_ModTime = 0.0;      // LastModificationTime when last read
};

class CFolder final : public CReplObject {
 public:
  CFolder() : CReplObject(OT_FOLDER) {}

  LONG m_ItemCount = 0;    // items in the Contacts folder when last read
  DATE m_DateTime = 0.0;   // latest LastModificationTime when last read
};

// Between the service manager's opaque handles and the objects. The typed
// look-ups answer null for a null handle or one of the other kind.
inline CReplObject* ObjectOf(HREPLOBJ handle) { return reinterpret_cast<CReplObject*>(handle); }
inline CReplObject* ObjectOf(HREPLITEM handle) { return reinterpret_cast<CReplObject*>(handle); }
inline CReplObject* ObjectOf(HREPLFLD handle) { return reinterpret_cast<CReplObject*>(handle); }

template <class Handle>
CItem* ItemOf(Handle handle) {
  CReplObject* object = ObjectOf(handle);
  return object != nullptr && object->Type() == OT_ITEM ? static_cast<CItem*>(object) : nullptr;
}

template <class Handle>
CFolder* FolderOf(Handle handle) {
  CReplObject* object = ObjectOf(handle);
  return object != nullptr && object->Type() == OT_FOLDER ? static_cast<CFolder*>(object) : nullptr;
}

inline HREPLOBJ ObjectHandle(CReplObject* object) { return reinterpret_cast<HREPLOBJ>(object); }
inline HREPLITEM ItemHandle(CItem* item) { return reinterpret_cast<HREPLITEM>(static_cast<CReplObject*>(item)); }
inline HREPLFLD FolderHandle(CFolder* folder) {
  return reinterpret_cast<HREPLFLD>(static_cast<CReplObject*>(folder));
}

}  // namespace pelloquin
