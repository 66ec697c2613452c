// Duplicate removal exactly as first designed, kept as the reference that the
// store's RemoveDuplicates is measured against: the first contact that has an
// equal one further down is deleted, the collection is reopened and the scan
// restarts from the top, until a scan finds none. Every comparison reads both
// contacts through Outlook (IsDuplicate), so it costs a number of Outlook
// calls that grows with the cube of the folder.
#pragma once

#include "store.h"

namespace pelloquin::test {

// Runs over the store's open collection, under the store lock.
void RemoveDuplicatesByRestartingScan(CStore& store);

}  // namespace pelloquin::test
