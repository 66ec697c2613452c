// What ordinary automation clients (scripts) use, as Outlook documents it:
// Items.Item and Items.Count, For Each through _NewEnum, each item's Class,
// Application.CreateItem and NameSpace.GetItemFromID.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dispatch_calls.h"
#include "outlook_ids.h"
#include "standin_fixture.h"

namespace outlook_standin::testing {
namespace {

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);  // MAPI_E_NOT_FOUND
constexpr long kContactItemType = 2;                            // olContactItem
constexpr long kContactClass = 40;                              // olContact
constexpr long kDistributionListClass = 69;                     // olDistributionList

long LongOf(const Invocation& invocation) {
  return V_VT(&invocation.value) == VT_I4 ? V_I4(&invocation.value) : -1;
}

// What a script's `For Each item In items` does: _NewEnum, then Next until
// the end; each item named by its first name, or by its Class when it has none.
std::vector<std::wstring> ForEach(IDispatch* items) {
  std::vector<std::wstring> seen;
  const auto enumeration = Invoke(items, L"_NewEnum", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
  if (FAILED(enumeration.result) || V_VT(&enumeration.value) != VT_UNKNOWN) return {L"<no enumerator>"};
  IEnumVARIANT* enumerator = nullptr;
  if (FAILED(V_UNKNOWN(&enumeration.value)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&enumerator)))) {
    return {L"<no IEnumVARIANT>"};
  }
  for (;;) {
    _variant_t item;
    ULONG fetched = 0;
    if (enumerator->Next(1, &item, &fetched) != S_OK || fetched != 1) break;
    const IDispatchPtr object = V_VT(&item) == VT_DISPATCH ? V_DISPATCH(&item) : nullptr;
    if (LongOf(Get(object, L"Class")) == kContactClass) {
      seen.push_back(TextOf(Get(object, L"FirstName")).value_or(L"<null>"));
    } else {
      seen.push_back(L"class " + std::to_wstring(LongOf(Get(object, L"Class"))));
    }
  }
  enumerator->Release();
  return seen;
}

using Automation = StandinTest;

TEST_F(Automation, ItemCountsFromOneAndIsTheDefaultMember) {
  SeedFolder({ContactNamed(L"Ada"), DistributionListItem(), ContactNamed(L"Bo")});
  const IDispatchPtr items = NewItems();
  EXPECT_EQ(LongOf(Get(items, L"Count")), 3);
  EXPECT_EQ(TextOf(Get(ObjectOf(Call(items, L"Item", {_variant_t(1L)})), L"FirstName")), L"Ada");
  EXPECT_EQ(LongOf(Get(ObjectOf(Call(items, L"Item", {_variant_t(2L)})), L"Class")), kDistributionListClass);
  EXPECT_EQ(TextOf(Get(ObjectOf(Call(items, L"Item", {_variant_t(L"3")})), L"FirstName")), L"Bo");

  // items(3) in a script: the default member, asked as method or property.
  DISPPARAMS params{};
  _variant_t index(3L);
  params.rgvarg = &index;
  params.cArgs = 1;
  _variant_t result;
  EXPECT_EQ(items->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                          &params, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(TextOf(Get(V_VT(&result) == VT_DISPATCH ? V_DISPATCH(&result) : nullptr, L"FirstName")), L"Bo");

  for (const long outside : {0L, 4L, -1L}) {
    const auto refused = Call(items, L"Item", {_variant_t(outside)});
    EXPECT_EQ(refused.result, DISP_E_EXCEPTION) << outside;
    EXPECT_EQ(refused.scode, DISP_E_BADINDEX) << outside;
  }
  EXPECT_EQ(Call(items, L"Item", {_variant_t(L"Ada")}).scode, kNotFound) << "contacts have no subject to match";
  EXPECT_EQ(CallCount(OutlookCall::Item), 8);
}

TEST_F(Automation, ItemLeavesTheWalkPositionAlone) {
  SeedFolder({ContactNamed(L"Ada"), ContactNamed(L"Bo"), ContactNamed(L"Cy")});
  const IDispatchPtr items = NewItems();
  Call(items, L"GetFirst");
  Call(items, L"Item", {_variant_t(3L)});
  EXPECT_EQ(TextOf(Get(ObjectOf(Call(items, L"GetNext")), L"FirstName")), L"Bo");
}

TEST_F(Automation, ForEachYieldsEveryItemOfTheFolderAsItStoodAtItsStart) {
  SeedFolder({ContactNamed(L"Ada"), DistributionListItem(), ContactNamed(L"Bo")});
  const IDispatchPtr items = NewItems();
  EXPECT_EQ(ForEach(items), (std::vector<std::wstring>{L"Ada", L"class 69", L"Bo"}));
  EXPECT_EQ(CallCount(OutlookCall::NewEnum), 1);

  const auto enumeration = Invoke(items, L"_NewEnum", DISPATCH_PROPERTYGET);
  IEnumVARIANT* enumerator = nullptr;
  ASSERT_EQ(V_UNKNOWN(&enumeration.value)->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&enumerator)),
            S_OK);
  const IDispatchPtr added = ObjectOf(Call(NewItems(), L"Add"));
  Put(added, L"FirstName", _variant_t(L"Late"));
  Call(added, L"Save");
  _variant_t three[3];
  ULONG fetched = 0;
  EXPECT_EQ(enumerator->Skip(1), S_OK);
  EXPECT_EQ(enumerator->Next(3, three, &fetched), S_FALSE) << "two left of the three it started with";
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(enumerator->Reset(), S_OK);
  IEnumVARIANT* copy = nullptr;
  ASSERT_EQ(enumerator->Clone(&copy), S_OK);
  EXPECT_EQ(copy->Skip(5), S_FALSE);
  copy->Release();
  enumerator->Release();
}

TEST_F(Automation, ClassTellsContactsFromDistributionLists) {
  SeedFolder({ContactNamed(L"Ada"), DistributionListItem()});
  const IDispatchPtr items = NewItems();
  EXPECT_EQ(LongOf(Get(ObjectOf(Call(items, L"GetFirst")), L"Class")), kContactClass);
  EXPECT_EQ(LongOf(Get(ObjectOf(Call(items, L"GetNext")), L"Class")), kDistributionListClass);
  EXPECT_EQ(Put(ObjectOf(Call(items, L"GetFirst")), L"Class", _variant_t(69L)).result, DISP_E_MEMBERNOTFOUND)
      << "read-only";
}

TEST_F(Automation, CreateItemMakesAContactThatJoinsTheFolderAtSave) {
  SeedFolder({ContactNamed(L"Ada")});
  const IDispatchPtr application = CreateApplication();
  const IDispatchPtr created = ObjectOf(Call(application, L"CreateItem", {_variant_t(kContactItemType)}));
  ASSERT_TRUE(created);
  EXPECT_EQ(LongOf(Get(created, L"Class")), kContactClass);
  EXPECT_EQ(TextOf(Get(created, L"EntryID")), L"") << "unsaved";
  Put(created, L"FirstName", _variant_t(L"Made"));
  EXPECT_EQ(FolderContents().size(), 1u);
  ASSERT_EQ(Call(created, L"Save").result, S_OK);
  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 2u);
  EXPECT_EQ(contents[1].contact.Get(L"FirstName"), L"Made");
  EXPECT_EQ(TextOf(Get(created, L"EntryID")), contents[1].entryId);

  const auto mail = Call(application, L"CreateItem", {_variant_t(0L)});  // olMailItem
  EXPECT_EQ(mail.result, DISP_E_EXCEPTION);
  EXPECT_EQ(mail.scode, E_INVALIDARG);
  EXPECT_EQ(CallCount(OutlookCall::CreateItem), 2);
}

TEST_F(Automation, GetItemFromIdFindsAnyItemAsStoredNow) {
  SeedFolder({ContactNamed(L"Ada"), DistributionListItem(), ContactNamed(L"Bo")});
  const auto contents = FolderContents();
  const IDispatchPtr application = CreateApplication();
  const IDispatchPtr nameSpace = ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"MAPI")}));

  const IDispatchPtr bo = ObjectOf(Call(nameSpace, L"GetItemFromID", {_variant_t(contents[2].entryId.c_str())}));
  EXPECT_EQ(TextOf(Get(bo, L"FirstName")), L"Bo");
  const IDispatchPtr list = ObjectOf(
      Call(nameSpace, L"GetItemFromID", {_variant_t(contents[1].entryId.c_str()), _variant_t(L"store id")}));
  EXPECT_EQ(LongOf(Get(list, L"Class")), kDistributionListClass);

  // A change saved through another object is what the next look-up sees.
  const IDispatchPtr ada = ObjectOf(Call(NewItems(), L"GetFirst"));
  Put(ada, L"FirstName", _variant_t(L"Ada Renamed"));
  Call(ada, L"Save");
  EXPECT_EQ(TextOf(Get(ObjectOf(Call(nameSpace, L"GetItemFromID", {_variant_t(contents[0].entryId.c_str())})),
                       L"FirstName")),
            L"Ada Renamed");

  const auto missing = Call(nameSpace, L"GetItemFromID", {_variant_t(std::wstring(48, L'0').c_str())});
  EXPECT_EQ(missing.result, DISP_E_EXCEPTION);
  EXPECT_EQ(missing.scode, kNotFound);
  Call(bo, L"Delete");
  EXPECT_EQ(Call(nameSpace, L"GetItemFromID", {_variant_t(contents[2].entryId.c_str())}).scode, kNotFound);
}

}  // namespace
}  // namespace outlook_standin::testing
