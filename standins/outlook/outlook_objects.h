// Factories of the stand-in's Outlook objects; each returns the one
// reference its caller takes over.
#pragma once

#include "com_pointers.h"

#include <vector>

#include "journal_format.h"

namespace outlook_standin {

IDispatchPtr NewApplication();
IDispatchPtr NewNameSpace();
IDispatchPtr NewContactsFolderObject();
// A new collection over the folder, with its own walk position.
IDispatchPtr NewItems();
// An item object over its own copy of `item`: changes stay with the object
// until its Save.
IDispatchPtr NewContactItem(journal::StoredItem item);
IDispatchPtr NewDistListItem(journal::StoredItem item);
// The contact or distribution list object over its own copy of `item`.
IDispatchPtr NewItemObject(journal::StoredItem item);
// An enumerator (IEnumVARIANT) over `items`, which it yields as item objects.
IUnknownPtr NewItemEnumerator(std::vector<journal::StoredItem> items);
// The private control object (control_object.cpp).
IDispatchPtr NewControl();

// The EntryID of the default Contacts folder.
inline constexpr wchar_t kContactsFolderEntryId[] = L"00000000A3C1F2D94B7E5A10B1C3D5E7F9A2B4C602000000";

}  // namespace outlook_standin
