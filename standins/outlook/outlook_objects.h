// Factories of the stand-in's Outlook objects; each returns the one
// reference its caller takes over.
#pragma once

#include "com_pointers.h"

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

}  // namespace outlook_standin
