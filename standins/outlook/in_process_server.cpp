#include "com_pointers.h"

#include "class_factories.h"
#include "outlook_ids.h"
#include "outlook_standin.h"

namespace outlook_standin {

InProcessServer::InProcessServer() {
  IClassFactory* factory = NewApplicationFactory();
  if (!factory) throw _com_error(E_OUTOFMEMORY);
  const IClassFactoryPtr owner(factory, false);
  const HRESULT registered =
      CoRegisterClassObject(kApplicationClassId, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
  if (FAILED(registered)) throw _com_error(registered);
}

InProcessServer::~InProcessServer() { CoRevokeClassObject(cookie_); }

}  // namespace outlook_standin
