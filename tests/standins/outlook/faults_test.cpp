// Armed faults, the way Outlook reports failures, and the call counters.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "dispatch_calls.h"
#include "outlook_ids.h"
#include "standin_fixture.h"

namespace outlook_standin::testing {
namespace {

constexpr HRESULT kInjected = static_cast<HRESULT>(0x80040119);  // MAPI_E_EXTENDED_ERROR, say

Fault FaultOn(OutlookCall call, HRESULT result = kInjected, long occurrence = 1, std::wstring property = L"",
              bool sticky = false, bool asException = true) {
  Fault fault;
  fault.call = call;
  fault.result = result;
  fault.occurrence = occurrence;
  fault.property = std::move(property);
  fault.sticky = sticky;
  fault.asException = asException;
  return fault;
}

FolderItem Contact(std::wstring firstName) {
  FolderItem item;
  item.contact.Set(L"FirstName", std::move(firstName)).Set(L"LastName", L"Quist");
  return item;
}

// The thread's error information, taken (GetErrorInfo clears it).
struct ThreadError {
  bool present = false;
  GUID interfaceId{};
  std::wstring description;
};
ThreadError TakeThreadError() {
  ThreadError taken;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return taken;
  const IErrorInfoPtr owner(info, false);
  taken.present = true;
  info->GetGUID(&taken.interfaceId);
  BSTR description = nullptr;
  if (SUCCEEDED(info->GetDescription(&description)) && description) taken.description = description;
  SysFreeString(description);
  return taken;
}

bool SupportsErrorInfo(IDispatch* object, const IID& interfaceId) {
  ISupportErrorInfo* support = nullptr;
  if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)))) return false;
  const HRESULT answer = support->InterfaceSupportsErrorInfo(interfaceId);
  support->Release();
  return answer == S_OK;
}

using Faults = StandinTest;

// Each case arms one fault, then makes the call it should hit on an object
// of the given interface.
struct FaultCase {
  const char* name;
  Fault fault;
  const IID* interfaceId;
  std::function<Invocation(IDispatch* items, IDispatch* firstContact)> call;
};

TEST_F(Faults, FailuresAreReportedAsOutlookReportsThem) {
  const FaultCase cases[] = {
      {"property read", FaultOn(OutlookCall::PropertyGet, kInjected, 1, L"LastName"), &kContactItemInterfaceId,
       [](IDispatch*, IDispatch* contact) { return Get(contact, L"LastName"); }},
      {"property write", FaultOn(OutlookCall::PropertyPut, kInjected, 1, L"CompanyName"), &kContactItemInterfaceId,
       [](IDispatch*, IDispatch* contact) { return Put(contact, L"CompanyName", _variant_t(L"x")); }},
      {"save", FaultOn(OutlookCall::Save, kInjected), &kContactItemInterfaceId,
       [](IDispatch*, IDispatch* contact) { return Call(contact, L"Save"); }},
      {"delete", FaultOn(OutlookCall::Delete, kInjected), &kContactItemInterfaceId,
       [](IDispatch*, IDispatch* contact) { return Call(contact, L"Delete"); }},
      {"get next", FaultOn(OutlookCall::GetNext, kInjected), &kItemsInterfaceId,
       [](IDispatch* items, IDispatch*) { return Call(items, L"GetNext"); }},
      {"count", FaultOn(OutlookCall::Count, E_OUTOFMEMORY), &kItemsInterfaceId,
       [](IDispatch* items, IDispatch*) { return Get(items, L"Count"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SeedFolder({Contact(L"Ada"), Contact(L"Bo")});
    const IDispatchPtr items = NewItems();
    const IDispatchPtr contact = ObjectOf(Call(items, L"GetFirst"));
    IDispatch* failing = c.interfaceId == &kItemsInterfaceId ? items.GetInterfacePtr() : contact.GetInterfacePtr();
    SetErrorInfo(0, nullptr);
    ArmFault(c.fault);

    const auto failed = c.call(items, contact);

    EXPECT_EQ(failed.result, DISP_E_EXCEPTION);
    EXPECT_EQ(failed.scode, c.fault.result);
    EXPECT_FALSE(failed.description.empty());
    EXPECT_TRUE(SupportsErrorInfo(failing, *c.interfaceId));
    EXPECT_FALSE(SupportsErrorInfo(failing, kApplicationInterfaceId));
    // Wine does not carry a server's thread error information to a client in
    // another process (Windows does); EXCEPINFO, above, carries the failure.
    if (!test_support::LocalServerChosen()) {
      const auto error = TakeThreadError();
      EXPECT_TRUE(error.present);
      EXPECT_EQ(error.interfaceId, *c.interfaceId);
      EXPECT_EQ(error.description, failed.description);
    }
    EXPECT_EQ(c.call(items, contact).result, S_OK) << "not sticky: the next call works";
    DisarmFaults();
  }
}

TEST_F(Faults, FailedSaveAndDeleteChangeNothing) {
  SeedFolder({Contact(L"Ada")});
  const IDispatchPtr stored = ObjectOf(Call(NewItems(), L"GetFirst"));
  Put(stored, L"FirstName", _variant_t(L"Changed"));
  ArmFault(FaultOn(OutlookCall::Save, kInjected));
  ArmFault(FaultOn(OutlookCall::Delete, kInjected));

  EXPECT_EQ(Call(stored, L"Save").scode, kInjected);
  EXPECT_EQ(Call(stored, L"Delete").scode, kInjected);

  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_EQ(contents[0].contact.Get(L"FirstName"), L"Ada");
}

TEST_F(Faults, OccurrenceCountsOnlyMatchingCallsFromArming) {
  SeedFolder({Contact(L"Ada")});
  const IDispatchPtr contact = ObjectOf(Call(NewItems(), L"GetFirst"));
  Get(contact, L"LastName");  // before arming: not counted
  ArmFault(FaultOn(OutlookCall::PropertyGet, kInjected, 2, L"LastName"));

  EXPECT_EQ(Get(contact, L"FirstName").result, S_OK) << "another property does not match";
  EXPECT_EQ(Get(contact, L"LastName").result, S_OK);
  EXPECT_EQ(Get(contact, L"lastname").scode, kInjected) << "the second matching call";
  EXPECT_EQ(Get(contact, L"LastName").result, S_OK);
}

TEST_F(Faults, StickyFaultFailsEveryMatchingCallFromItsOccurrenceOn) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bo"), Contact(L"Cy"), Contact(L"Di")});
  const IDispatchPtr items = NewItems();
  Call(items, L"GetFirst");
  ArmFault(FaultOn(OutlookCall::GetNext, kInjected, 2, L"", true));

  EXPECT_EQ(Call(items, L"GetNext").result, S_OK);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Call(items, L"GetNext").scode, kInjected);
  DisarmFaults();
  EXPECT_EQ(Call(items, L"GetNext").result, S_OK);
}

TEST_F(Faults, PlainFaultIsAnsweredByInvokeItself) {
  const IDispatchPtr items = NewItems();
  ArmFault(FaultOn(OutlookCall::Count, E_ACCESSDENIED, 1, L"", false, false));
  EXPECT_EQ(Get(items, L"Count").result, E_ACCESSDENIED);
  EXPECT_FALSE(TakeThreadError().present);
}

TEST_F(Faults, CreateApplicationFaultIsAnsweredByTheClassFactory) {
  ArmFault(FaultOn(OutlookCall::CreateApplication, CO_E_SERVER_EXEC_FAILURE));
  IUnknown* application = nullptr;
  EXPECT_EQ(CoCreateInstance(kApplicationClassId, nullptr, CLSCTX_ALL, IID_IUnknown,
                             reinterpret_cast<void**>(&application)),
            CO_E_SERVER_EXEC_FAILURE);
  EXPECT_EQ(application, nullptr);
  EXPECT_TRUE(CreateApplication());
}

TEST_F(Faults, ResetFolderDisarmsFaultsAndClearsCounts) {
  const IDispatchPtr items = NewItems();
  ArmFault(FaultOn(OutlookCall::Count, kInjected, 1, L"", true));
  ResetFolder();
  EXPECT_EQ(CallCount(OutlookCall::Items), 0);
  EXPECT_EQ(Get(items, L"Count").result, S_OK);
}

TEST_F(Faults, CallsAreCountedPerKindAndPerMember) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bo")});
  const IDispatchPtr items = NewItems();
  ResetCallCounts();
  for (auto item = ObjectOf(Call(items, L"GetFirst")); item; item = ObjectOf(Call(items, L"GetNext"))) {
    Get(item, L"FirstName");
    Get(item, L"EntryID");
    Put(item, L"CompanyName", _variant_t(L"Quist & Co"));
  }
  Get(items, L"NoSuchMember");

  const struct {
    OutlookCall call;
    const wchar_t* member;
    long expected;
  } counts[] = {
      {OutlookCall::GetFirst, nullptr, 1},
      {OutlookCall::GetNext, nullptr, 2},  // two items, then the end
      {OutlookCall::PropertyGet, nullptr, 4},
      {OutlookCall::PropertyGet, L"FirstName", 2},
      {OutlookCall::PropertyGet, L"entryid", 2},
      {OutlookCall::PropertyPut, L"CompanyName", 2},
      {OutlookCall::PropertyPut, L"FirstName", 0},
      {OutlookCall::GetIDsOfNames, nullptr, 10},
      {OutlookCall::GetIDsOfNames, L"GetNext", 2},
      {OutlookCall::GetIDsOfNames, L"NoSuchMember", 1},
      {OutlookCall::Save, nullptr, 0},
      {OutlookCall::Items, nullptr, 0},
  };
  for (const auto& c : counts) {
    const long counted = c.member ? CallCount(c.call, c.member) : CallCount(c.call);
    EXPECT_EQ(counted, c.expected) << static_cast<int>(c.call) << " " << (c.member ? "member" : "total");
  }

  ResetCallCounts();
  EXPECT_EQ(CallCount(OutlookCall::GetNext), 0);
  EXPECT_EQ(CallCount(OutlookCall::PropertyGet, L"FirstName"), 0);
}

TEST_F(Faults, OpeningTheFolderIsCountedStepByStep) {
  ResetCallCounts();
  const IDispatchPtr items = NewItems();
  for (const auto call : {OutlookCall::CreateApplication, OutlookCall::GetNamespace,
                          OutlookCall::GetDefaultFolder, OutlookCall::Items}) {
    EXPECT_EQ(CallCount(call), 1) << static_cast<int>(call);
  }
}

}  // namespace
}  // namespace outlook_standin::testing
