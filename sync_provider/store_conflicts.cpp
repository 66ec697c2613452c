// Conflicts between the desktop and device versions of a contact, and
// duplicate contacts in the folder.
#include "store.h"

namespace pelloquin {

STDMETHODIMP CStore::GetConflictInfo(CONFINFO*) { return E_NOTIMPL; }

STDMETHODIMP CStore::RemoveDuplicates(LPCSTR, UINT) { return E_NOTIMPL; }

}  // namespace pelloquin
