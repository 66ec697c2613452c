// Finds and creates the desktop store provider for an object type the way
// the sync service manager does: the type's key under the synchronisation
// objects key names the provider's ProgID in its "Store" value; the ProgID
// names the class; COM creates the registered in-process server.
#pragma once

#include <string>

#include "repl_store_ptr.h"

namespace sync_host {

inline constexpr wchar_t kSynchronizationObjectsKey[] =
    L"Software\\Microsoft\\Windows CE Services\\Services\\Synchronization\\Objects";

struct RegisteredProvider {
  std::wstring progId;
  IReplStorePtr store;
};

// Throws HostError saying which step failed: no key for the type, no Store
// value, a ProgID without class, or a class COM cannot create.
RegisteredProvider CreateRegisteredProvider(const std::wstring& objectType);

}  // namespace sync_host
