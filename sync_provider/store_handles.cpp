// Handles as the service manager keeps them: ObjectToBytes and BytesToObject
// between a handle and its persisted form, FreeObject and CopyObject.
#include <span>

#include "com_boundary.h"
#include "persisted_handle.h"
#include "store.h"
#include "trace_hook.h"

namespace pelloquin {

namespace {

persisted::HandleForm FormOf(const CReplObject& object) {
  if (object.Type() == OT_ITEM) {
    const auto& item = static_cast<const CItem&>(object);
    return persisted::ItemForm{item.m_ModTime, std::string(AnsiOf(item.m_EntryID))};
  }
  const auto& folder = static_cast<const CFolder&>(object);
  return persisted::FolderForm{folder.m_ItemCount, folder.m_DateTime};
}

CReplObject* ObjectFrom(const persisted::HandleForm& form) {
  if (const auto* item_form = std::get_if<persisted::ItemForm>(&form)) {
    auto item = std::make_unique<CItem>();
    item->m_ModTime = item_form->modTime;
    item->m_EntryID = EntryIdFromAnsi(item_form->entryId);
    return item.release();
  }
  const auto& folder_form = std::get<persisted::FolderForm>(form);
  auto folder = std::make_unique<CFolder>();
  folder->m_ItemCount = folder_form.itemCount;
  folder->m_DateTime = folder_form.dateTime;
  return folder.release();
}

}  // namespace

STDMETHODIMP_(UINT) CStore::ObjectToBytes(HREPLOBJ hObject, LPBYTE lpb) {
  const CReplObject* object = ObjectOf(hObject);
  if (object == nullptr) return 0;
  UINT size = 0;
  GuardedCall([&] {
    const persisted::HandleForm form = FormOf(*object);
    const std::size_t form_size = persisted::SizeOf(form);
    if (lpb != nullptr) persisted::Write(form, std::span(reinterpret_cast<std::byte*>(lpb), form_size));
    size = static_cast<UINT>(form_size);
  });
  return size;
}

STDMETHODIMP_(HREPLOBJ) CStore::BytesToObject(LPBYTE lpb, UINT cb) {
  if (lpb == nullptr) return nullptr;
  HREPLOBJ handle = nullptr;
  GuardedCall([&] {
    if (const auto form = persisted::Read(std::span(reinterpret_cast<const std::byte*>(lpb), cb))) {
      handle = ObjectHandle(ObjectFrom(*form));
    }
  });
  return handle;
}

STDMETHODIMP_(void) CStore::FreeObject(HREPLOBJ hObject) {
  Trace("CStore::FreeObject");
  delete ObjectOf(hObject);
}

STDMETHODIMP_(BOOL) CStore::CopyObject(HREPLOBJ hObjSrc, HREPLOBJ hObjDst) {
  Trace("CStore::CopyObject");
  const CReplObject* source = ObjectOf(hObjSrc);
  CReplObject* destination = ObjectOf(hObjDst);
  if (source == nullptr || destination == nullptr || source->Type() != destination->Type()) return FALSE;
  if (const CItem* source_item = ItemOf(hObjSrc)) {
    CItem* destination_item = ItemOf(hObjDst);
    destination_item->m_EntryID = source_item->m_EntryID;
    destination_item->m_ModTime = source_item->m_ModTime;
  }
  return TRUE;
}

}  // namespace pelloquin
