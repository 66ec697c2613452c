#include "class_factories.h"

#include <new>

#include "call_monitor.h"
#include "com_failure.h"
#include "outlook_objects.h"
#include "unknown_object.h"

namespace outlook_standin {
namespace {

volatile LONG serverLocks = 0;
volatile LONG liveFactories = 0;

// Makes the object a factory serves. Only the application counts as an
// Outlook call (and can be made to fail); the control class is private.
using ObjectMaker = IDispatchPtr (*)();

class ClassFactory final : public UnknownObject<IClassFactory> {
 public:
  ClassFactory(ObjectMaker make, bool monitored) : make_(make), monitored_(monitored) {
    InterlockedIncrement(&liveFactories);
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    try {
      if (monitored_) TheCallMonitor().Observe(OutlookCall::CreateApplication, L"");
      return make_()->QueryInterface(interfaceId, object);
    } catch (const ComFailure& failure) {
      return failure.Result();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) {
      InterlockedIncrement(&serverLocks);
    } else {
      InterlockedDecrement(&serverLocks);
    }
    return S_OK;
  }

 private:
  ~ClassFactory() { InterlockedDecrement(&liveFactories); }

  const ObjectMaker make_;
  const bool monitored_;
};

}  // namespace

IClassFactory* NewApplicationFactory() { return new (std::nothrow) ClassFactory(NewApplication, true); }

IClassFactory* NewControlFactory() { return new (std::nothrow) ClassFactory(NewControl, false); }

bool FactoriesInUse() { return ServerLocked() || InterlockedCompareExchange(&liveFactories, 0, 0) != 0; }

bool ServerLocked() { return InterlockedCompareExchange(&serverLocks, 0, 0) != 0; }

}  // namespace outlook_standin
