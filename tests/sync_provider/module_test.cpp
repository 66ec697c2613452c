// The library as COM sees it: the three exports, the class factory, the
// store's identity (aggregated or not) and the counts that decide unloading.
#include <windows.h>

#include <gtest/gtest.h>

#include "class_factory.h"
#include "module_state.h"
#include "store_fixture.h"
#include "store_lock.h"

namespace pelloquin::test {
namespace {

constexpr CLSID kSomeClass = {0x3f2a1b7c, 0x51d0, 0x4c2e, {0x9a, 0x11, 0x6b, 0x0e, 0x52, 0x7d, 0x88, 0x19}};
void* const kUntouched = reinterpret_cast<void*>(0x1234);

IClassFactoryPtr NewFactory() {
  IClassFactoryPtr factory;
  EXPECT_EQ(DllGetClassObject(kSomeClass, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  return factory;
}

// An object that aggregates a store: it hands out the store's interface and
// counts every reference taken through it.
class Aggregate final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown)) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    if (IsEqualIID(riid, IID_IReplStore)) return inner->QueryInterface(riid, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }

  ULONG references = 1;
  IUnknown* inner = nullptr;
};

TEST(DllGetClassObject, AnswersTheFactoryForAnyClassAndOnlyForItsInterfaces) {
  const struct {
    const CLSID* clsid;
    const IID* riid;
    HRESULT expected;
  } cases[] = {
      {&CLSID_NULL, &IID_IClassFactory, S_OK},
      {&kSomeClass, &IID_IClassFactory, S_OK},
      {&kSomeClass, &IID_IUnknown, S_OK},
      {&kSomeClass, &IID_IDispatch, CLASS_E_CLASSNOTAVAILABLE},
      {&kSomeClass, &IID_IReplStore, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const auto& c : cases) {
    void* object = kUntouched;
    EXPECT_EQ(DllGetClassObject(*c.clsid, *c.riid, &object), c.expected);
    if (c.expected == S_OK) {
      ASSERT_NE(object, nullptr);
      // Exactly one reference: the one the caller now owns.
      auto* factory = static_cast<IClassFactory*>(object);
      EXPECT_EQ(factory->AddRef(), 2u);
      EXPECT_EQ(factory->Release(), 1u);
      EXPECT_EQ(factory->Release(), 0u);
    } else {
      EXPECT_EQ(object, kUntouched);
    }
  }
}

TEST(ClassFactory, AnswersIUnknownAndIClassFactoryOnly) {
  const IClassFactoryPtr factory = NewFactory();
  IUnknown* unknown = nullptr;
  EXPECT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, static_cast<IUnknown*>(factory.GetInterfacePtr()));
  unknown->Release();
  void* other = kUntouched;
  EXPECT_EQ(factory->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

TEST(ClassFactory, CreatesStoresForTheirInterfacesAndNothingElse) {
  const IClassFactoryPtr factory = NewFactory();
  Aggregate outer;  // never called: creation is refused before a store is made
  const struct {
    IUnknown* outer;
    const IID* riid;
    HRESULT expected;
  } cases[] = {
      {nullptr, &IID_IReplStore, S_OK},
      {nullptr, &IID_IUnknown, S_OK},
      {nullptr, &IID_IDispatch, E_NOINTERFACE},
      {&outer, &IID_IReplStore, E_NOINTERFACE},
  };
  for (const auto& c : cases) {
    const LONG objects_before = g_cObjects;
    void* object = kUntouched;
    EXPECT_EQ(factory->CreateInstance(c.outer, *c.riid, &object), c.expected);
    if (c.expected == S_OK) {
      ASSERT_NE(object, nullptr);
      EXPECT_EQ(g_cObjects, objects_before + 1);
      EXPECT_EQ(static_cast<IUnknown*>(object)->Release(), 0u);
    } else {
      EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(g_cObjects, objects_before);
  }
}

TEST(Store, AnswersIUnknownAndIReplStoreWithOneIdentity) {
  const IReplStorePtr store = NewStore();
  IUnknownPtr unknown_from_store;
  EXPECT_EQ(store->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown_from_store)), S_OK);
  IReplStorePtr store_again;
  EXPECT_EQ(unknown_from_store->QueryInterface(IID_IReplStore, reinterpret_cast<void**>(&store_again)), S_OK);
  EXPECT_EQ(store_again.GetInterfacePtr(), store.GetInterfacePtr());
  IUnknownPtr unknown_again;
  EXPECT_EQ(store_again->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown_again)), S_OK);
  EXPECT_EQ(unknown_again.GetInterfacePtr(), unknown_from_store.GetInterfacePtr());
  void* other = kUntouched;
  EXPECT_EQ(store->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
}

TEST(Store, AggregatedDelegatesToItsOuterObjectAndDiesWithIt) {
  const LONG objects_before = g_cObjects;
  Aggregate outer;
  ASSERT_EQ(NewFactory()->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
  EXPECT_EQ(outer.references, 1u) << "the inner object must not count on the outer one";

  IReplStore* store = nullptr;
  ASSERT_EQ(outer.QueryInterface(IID_IReplStore, reinterpret_cast<void**>(&store)), S_OK);
  EXPECT_EQ(outer.references, 2u) << "a reference through the store's interface is the outer object's";
  IUnknown* identity = nullptr;
  ASSERT_EQ(store->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, &outer) << "the store's identity is the outer object";
  identity->Release();
  void* other = kUntouched;
  EXPECT_EQ(store->QueryInterface(IID_IDispatch, &other), E_NOINTERFACE);
  store->Release();
  EXPECT_EQ(outer.references, 1u);

  EXPECT_EQ(g_cObjects, objects_before + 1);
  EXPECT_EQ(outer.inner->Release(), 0u);
  EXPECT_EQ(g_cObjects, objects_before);
}

TEST(DllCanUnloadNow, WaitsForStoresAndServerLocksButNotForFactories) {
  ASSERT_EQ(DllCanUnloadNow(), S_OK);
  const IClassFactoryPtr factory = NewFactory();
  EXPECT_EQ(DllCanUnloadNow(), S_OK) << "factories do not keep the library";

  IReplStorePtr store = NewStore();
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  store = nullptr;
  EXPECT_EQ(DllCanUnloadNow(), S_OK);

  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

// Whether any handle to the store lock is open: a named mutex exists only
// while someone holds a handle to it.
bool StoreLockExists() {
  const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kStoreLockName);
  if (mutex == nullptr) return false;
  CloseHandle(mutex);
  return true;
}

TEST(Store, ReleasedWithoutRscReleaseStillClosesItsLockHandle) {
  ASSERT_FALSE(StoreLockExists());
  IReplStorePtr store = NewStore();
  ASSERT_EQ(store->Initialize(nullptr, 0), S_OK);
  ASSERT_TRUE(StoreLockExists());
  store = nullptr;
  EXPECT_FALSE(StoreLockExists());
}

DWORD SubkeyCount(HKEY root, const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD count = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(key);
  return count;
}

TEST(DllRegisterServer, SucceedsAndWritesNothing) {
  const DWORD classes_before = SubkeyCount(HKEY_CLASSES_ROOT, L"CLSID");
  const DWORD roots_before = SubkeyCount(HKEY_CLASSES_ROOT, L"");
  EXPECT_EQ(DllRegisterServer(), S_OK);
  EXPECT_EQ(SubkeyCount(HKEY_CLASSES_ROOT, L"CLSID"), classes_before);
  EXPECT_EQ(SubkeyCount(HKEY_CLASSES_ROOT, L""), roots_before);
  HKEY key = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"MS.WinCE.Pelloquin", 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST(ObjectHandler, AnswersIUnknownOnlyAndCountsNoReferences) {
  const IReplStorePtr store = NewStore();
  HREPLFLD folder = nullptr;
  IUnknown* handler = nullptr;
  ASSERT_EQ(store->GetFolderInfo("Contact", &folder, &handler), S_OK);
  IUnknown* unknown = nullptr;
  EXPECT_EQ(handler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(unknown, handler);
  void* other = kUntouched;
  EXPECT_EQ(handler->QueryInterface(IID_IReplStore, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(handler->AddRef(), 0u);
  EXPECT_EQ(handler->Release(), 0u);
  store->FreeObject(reinterpret_cast<HREPLOBJ>(folder));
}

}  // namespace
}  // namespace pelloquin::test
