// The store's user interface: the options dialog and the object type's texts.
#include "store.h"

namespace pelloquin {

STDMETHODIMP CStore::ActivateDialog(UINT, HWND, HREPLFLD, IEnumReplItem*) { return E_NOTIMPL; }

STDMETHODIMP CStore::GetObjTypeUIData(HREPLFLD, OBJUIDATA*) { return E_NOTIMPL; }

}  // namespace pelloquin
