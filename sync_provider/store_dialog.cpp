// The store's user interface: the options dialog, and the object type's
// texts and icons, which this store leaves to the service manager.
#include "options_dialog.h"
#include "store.h"
#include "trace_hook.h"

namespace pelloquin {

STDMETHODIMP CStore::ActivateDialog(UINT uDlg, HWND hwndParent, HREPLFLD, IEnumReplItem*) {
  if (uDlg != OPTIONS_DIALOG) return E_NOTIMPL;
  // Closed with OK or Cancel alike, the dialog has done its work.
  RunOptionsDialog(hwndParent);
  return S_OK;
}

STDMETHODIMP CStore::GetObjTypeUIData(HREPLFLD, OBJUIDATA*) {
  Trace("CStore::GetObjTypeUIData");
  return E_NOTIMPL;
}

}  // namespace pelloquin
