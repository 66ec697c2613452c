// SyncHost --trace: every call into the provider, one line each, written as
// the call returns:
//
//   [t1] IsFolderChanged(f1) -> S_OK changed=TRUE
//
// the thread (numbered in the order threads first call), the method, its
// arguments in short form and the answer. Handles are named in the order the
// provider hands them out (f1 for a folder, i1, i2, ... for items) and lose
// their names when they are freed.
#pragma once

#include <cstdio>

#include "repl_store_ptr.h"

namespace sync_host {

// A store that passes every call to `store` and writes its line to `out`;
// the object handler that its GetFolderInfo hands out is traced as well.
IReplStorePtr TracedStore(IReplStorePtr store, std::FILE* out);

// The published name of a ReportStatus code ("RSC_BEGIN_SYNC"), or its number.
const char* StatusName(UINT status, char (&number)[16]);

}  // namespace sync_host
