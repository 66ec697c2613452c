// The stand-in's object model as clients reach it: through COM and
// IDispatch by name, over the store file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "dispatch_calls.h"
#include "journal_file.h"
#include "outlook_ids.h"
#include "standin_fixture.h"

namespace outlook_standin::testing {
namespace {

using namespace std::string_literals;

constexpr HRESULT kObjectDeleted = static_cast<HRESULT>(0x8004010A);

FolderItem Contact(std::wstring firstName, std::wstring lastName = L"") {
  FolderItem item;
  item.contact.Set(L"FirstName", std::move(firstName)).Set(L"LastName", std::move(lastName));
  return item;
}

long CountOf(IDispatch* items) {
  const auto count = Get(items, L"Count");
  return V_VT(&count.value) == VT_I4 ? V_I4(&count.value) : -1;
}

std::wstring FirstNameOf(IDispatch* item) { return TextOf(Get(item, L"FirstName")).value_or(L"<null>"); }

// The first names of every item a walk of `items` yields ("<list>" for an
// item that is not a contact).
std::vector<std::wstring> Walk(IDispatch* items) {
  std::vector<std::wstring> names;
  for (auto item = ObjectOf(Call(items, L"GetFirst")); item; item = ObjectOf(Call(items, L"GetNext"))) {
    IDispatch* contact = nullptr;
    if (SUCCEEDED(item->QueryInterface(kContactItemInterfaceId, reinterpret_cast<void**>(&contact)))) {
      names.push_back(FirstNameOf(contact));
      contact->Release();
    } else {
      names.push_back(L"<list>");
    }
  }
  return names;
}

bool IsEntryIdOfPersonalStore(const std::wstring& entryId) {
  return entryId.size() == 48 &&
         entryId.find_first_not_of(L"0123456789ABCDEF") == std::wstring::npos;
}

using ObjectModel = StandinTest;

TEST_F(ObjectModel, ObjectsAnswerTheirInterfacesAndNoOthers) {
  SeedFolder({Contact(L"Ada"), DistributionListItem()});
  const IDispatchPtr application = CreateApplication();
  const IDispatchPtr nameSpace = ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"MAPI")}));
  const IDispatchPtr folder = ObjectOf(Call(nameSpace, L"GetDefaultFolder", {_variant_t(10L)}));
  const IDispatchPtr items = ObjectOf(Get(folder, L"Items"));
  const IDispatchPtr contact = ObjectOf(Call(items, L"GetFirst"));
  const IDispatchPtr list = ObjectOf(Call(items, L"GetNext"));

  const struct {
    const char* what;
    IDispatch* object;
    const IID& own;
  } cases[] = {
      {"application", application, kApplicationInterfaceId}, {"namespace", nameSpace, kNameSpaceInterfaceId},
      {"folder", folder, kFolderInterfaceId},                {"items", items, kItemsInterfaceId},
      {"contact", contact, kContactItemInterfaceId},         {"distribution list", list, kDistListItemInterfaceId},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.object) << c.what;
    for (const IID* asked : {&IID_IUnknown, &IID_IDispatch, &IID_ISupportErrorInfo, &c.own}) {
      IUnknown* answered = nullptr;
      EXPECT_EQ(c.object->QueryInterface(*asked, reinterpret_cast<void**>(&answered)), S_OK) << c.what;
      if (answered) answered->Release();
    }
    const IID& foreign = &c.own == &kContactItemInterfaceId ? kItemsInterfaceId : kContactItemInterfaceId;
    IUnknown* answered = nullptr;
    EXPECT_EQ(c.object->QueryInterface(foreign, reinterpret_cast<void**>(&answered)), E_NOINTERFACE) << c.what;
    EXPECT_EQ(answered, nullptr);
    UINT typeInfoCount = 99;
    EXPECT_EQ(c.object->GetTypeInfoCount(&typeInfoCount), S_OK);
    EXPECT_EQ(typeInfoCount, 0u) << c.what;
  }
}

TEST_F(ObjectModel, NamesAreLookedUpWithoutRegardToCase) {
  const IDispatchPtr items = NewItems();
  for (const wchar_t* name : {L"Count", L"count", L"COUNT", L"cOuNt"}) {
    std::wstring member = name;
    LPOLESTR names[] = {member.data()};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(items->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_NE(id, DISPID_UNKNOWN);
  }
  EXPECT_EQ(Get(items, L"Cnt").result, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(Get(items, L"FirstName").result, DISP_E_UNKNOWNNAME) << "a member of another interface";
}

TEST_F(ObjectModel, OnlyTheMapiNamespaceAndTheContactsFolderExist) {
  const IDispatchPtr application = CreateApplication();
  const auto otherNamespace = Call(application, L"GetNamespace", {_variant_t(L"POP3")});
  EXPECT_EQ(otherNamespace.result, DISP_E_EXCEPTION);
  EXPECT_EQ(otherNamespace.scode, E_INVALIDARG);
  EXPECT_TRUE(ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"mapi")})));

  const IDispatchPtr nameSpace = ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"MAPI")}));
  const auto inbox = Call(nameSpace, L"GetDefaultFolder", {_variant_t(6L)});
  EXPECT_EQ(inbox.result, DISP_E_EXCEPTION);
  EXPECT_EQ(inbox.scode, E_INVALIDARG);
  EXPECT_EQ(Call(nameSpace, L"GetDefaultFolder").result, DISP_E_BADPARAMCOUNT);
}

TEST_F(ObjectModel, EveryItemsCallGivesANewCollectionWithItsOwnPosition) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bo"), Contact(L"Cy")});
  const IDispatchPtr folder = ContactsFolder();
  const IDispatchPtr first = ObjectOf(Get(folder, L"Items"));
  const IDispatchPtr second = ObjectOf(Get(folder, L"Items"));
  ASSERT_NE(first.GetInterfacePtr(), second.GetInterfacePtr());

  EXPECT_EQ(FirstNameOf(ObjectOf(Call(first, L"GetFirst"))), L"Ada");
  EXPECT_EQ(FirstNameOf(ObjectOf(Call(first, L"GetNext"))), L"Bo");
  EXPECT_EQ(FirstNameOf(ObjectOf(Call(second, L"GetFirst"))), L"Ada");
  EXPECT_EQ(FirstNameOf(ObjectOf(Call(first, L"GetNext"))), L"Cy");
  EXPECT_EQ(FirstNameOf(ObjectOf(Call(second, L"GetNext"))), L"Bo");
}

TEST_F(ObjectModel, WalkYieldsEveryItemOnceThenNothing) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bo"), DistributionListItem(), Contact(L"Cy")});
  const IDispatchPtr items = NewItems();

  EXPECT_EQ(Walk(items), (std::vector<std::wstring>{L"Ada", L"Bo", L"<list>", L"Cy"}));
  const auto end = Call(items, L"GetNext");
  EXPECT_EQ(end.result, S_OK);
  EXPECT_EQ(V_VT(&end.value), VT_DISPATCH) << "Outlook answers Nothing";
  EXPECT_EQ(V_DISPATCH(&end.value), nullptr);
  EXPECT_EQ(Walk(items).size(), 4u) << "GetFirst starts again";
}

TEST_F(ObjectModel, CountCountsEveryItemDistributionListsIncluded) {
  SeedFolder({Contact(L"Ada"), DistributionListItem(), Contact(L"Bo")});
  const auto count = Get(NewItems(), L"Count");
  EXPECT_EQ(count.result, S_OK);
  EXPECT_EQ(V_VT(&count.value), VT_I4);
  EXPECT_EQ(V_I4(&count.value), 3);
  EXPECT_EQ(CountOf(NewItems()), 3);

  SeedFolder({});
  EXPECT_EQ(CountOf(NewItems()), 0);
  EXPECT_FALSE(ObjectOf(Call(NewItems(), L"GetFirst")));
}

TEST_F(ObjectModel, DistributionListIsNoContact) {
  SeedFolder({DistributionListItem()});
  const IDispatchPtr list = ObjectOf(Call(NewItems(), L"GetFirst"));
  ASSERT_TRUE(list);
  IUnknown* contact = nullptr;
  EXPECT_EQ(list->QueryInterface(kContactItemInterfaceId, reinterpret_cast<void**>(&contact)), E_NOINTERFACE);
  EXPECT_TRUE(IsEntryIdOfPersonalStore(TextOf(Get(list, L"EntryID")).value_or(L"")));
}

TEST_F(ObjectModel, AddedContactJoinsTheEndOfTheFolderAtSave) {
  SeedFolder({Contact(L"Ada")});
  const IDispatchPtr items = NewItems();
  for (const _variant_t& type : {Omitted(), _variant_t(2L)}) {
    const IDispatchPtr added = ObjectOf(Call(items, L"Add", {type}));
    ASSERT_TRUE(added);
    EXPECT_EQ(TextOf(Get(added, L"EntryID")), std::wstring()) << "unsaved: empty, not null";
    EXPECT_EQ(Put(added, L"FirstName", _variant_t(L"New")).result, S_OK);
    EXPECT_EQ(CountOf(NewItems()), 1) << "not in the folder before Save";

    EXPECT_EQ(Call(added, L"Save").result, S_OK);

    EXPECT_TRUE(IsEntryIdOfPersonalStore(*TextOf(Get(added, L"EntryID"))));
    EXPECT_EQ(Walk(NewItems()).back(), L"New");
    SeedFolder({Contact(L"Ada")});
  }
  const IDispatchPtr withoutArguments = ObjectOf(Call(items, L"Add"));
  EXPECT_TRUE(withoutArguments);
  const auto distributionList = Call(items, L"Add", {_variant_t(7L)});
  EXPECT_EQ(distributionList.result, DISP_E_EXCEPTION);
  EXPECT_EQ(distributionList.scode, E_INVALIDARG);
}

TEST_F(ObjectModel, EntryIdsAreUniqueAndStableAcrossSaves) {
  const IDispatchPtr items = NewItems();
  std::set<std::wstring> entryIds;
  for (int i = 0; i < 20; ++i) {
    const IDispatchPtr added = ObjectOf(Call(items, L"Add"));
    Call(added, L"Save");
    const std::wstring entryId = *TextOf(Get(added, L"EntryID"));
    Put(added, L"LastName", _variant_t(L"again"));
    Call(added, L"Save");
    EXPECT_EQ(*TextOf(Get(added, L"EntryID")), entryId) << "saving again keeps the EntryID";
    entryIds.insert(entryId);
  }
  EXPECT_EQ(entryIds.size(), 20u);
  EXPECT_EQ(FolderContents().size(), 20u);
}

TEST_F(ObjectModel, SavingExistingContactUpdatesItInPlace) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bo"), Contact(L"Cy")});
  const IDispatchPtr items = NewItems();
  Call(items, L"GetFirst");
  const IDispatchPtr bo = ObjectOf(Call(items, L"GetNext"));
  Put(bo, L"FirstName", _variant_t(L"Bob"));
  EXPECT_EQ(Walk(NewItems()), (std::vector<std::wstring>{L"Ada", L"Bo", L"Cy"})) << "unsaved change stays in the object";

  Call(bo, L"Save");

  EXPECT_EQ(Walk(NewItems()), (std::vector<std::wstring>{L"Ada", L"Bob", L"Cy"}));
}

TEST_F(ObjectModel, LastModificationTimeIncreasesStrictlyWithEverySave) {
  const IDispatchPtr items = NewItems();
  const IDispatchPtr first = ObjectOf(Call(items, L"Add"));
  const IDispatchPtr second = ObjectOf(Call(items, L"Add"));
  double previous = 0;
  for (int round = 0; round < 50; ++round) {
    IDispatch* saved = round % 2 ? second : first;
    ASSERT_EQ(Call(saved, L"Save").result, S_OK);
    const auto time = Get(saved, L"LastModificationTime");
    ASSERT_EQ(V_VT(&time.value), VT_DATE);
    EXPECT_GT(V_DATE(&time.value), previous) << "save " << round;
    previous = V_DATE(&time.value);
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  double today = 0;
  SystemTimeToVariantTime(&now, &today);
  EXPECT_NEAR(previous, today, 1.0 / 24) << "based on the current time";
}

TEST_F(ObjectModel, NeverSetReadsNullAndSetToEmptyReadsEmpty) {
  const IDispatchPtr added = ObjectOf(Call(NewItems(), L"Add"));
  Put(added, L"Title", _variant_t(L""));
  Call(added, L"Save");
  const IDispatchPtr stored = ObjectOf(Call(NewItems(), L"GetFirst"));

  for (IDispatch* item : {static_cast<IDispatch*>(added), static_cast<IDispatch*>(stored)}) {
    const auto neverSet = Get(item, L"CompanyName");
    EXPECT_EQ(V_VT(&neverSet.value), VT_BSTR);
    EXPECT_EQ(V_BSTR(&neverSet.value), nullptr);
    const auto empty = Get(item, L"Title");
    ASSERT_EQ(V_VT(&empty.value), VT_BSTR);
    ASSERT_NE(V_BSTR(&empty.value), nullptr);
    EXPECT_EQ(SysStringLen(V_BSTR(&empty.value)), 0u);
  }
  EXPECT_FALSE(FolderContents()[0].contact.Get(L"CompanyName").has_value());
  EXPECT_EQ(FolderContents()[0].contact.Get(L"Title"), std::wstring());
}

TEST_F(ObjectModel, EveryCodeUnitSurvivesTheStoreFile) {
  const std::wstring awkward = L"a\0b\0\0c"s + L"\xD83D\xDE00" + L"\xDC00" + L"\0"s;
  const IDispatchPtr added = ObjectOf(Call(NewItems(), L"Add"));
  Put(added, L"CompanyName", TextVariant(awkward));
  Put(added, L"Email1Address", _variant_t(L"x@example.invalid"));
  Call(added, L"Save");

  UseStoreFile(storeFile_);  // forget the folder in memory: read the file again

  const IDispatchPtr stored = ObjectOf(Call(NewItems(), L"GetFirst"));
  EXPECT_EQ(TextOf(Get(stored, L"CompanyName")), awkward);
  EXPECT_EQ(FolderContents()[0].contact.Get(L"CompanyName"), awkward);
}

TEST_F(ObjectModel, PutCoercesToTextAndChecksItsArguments) {
  const IDispatchPtr added = ObjectOf(Call(NewItems(), L"Add"));
  EXPECT_EQ(Put(added, L"HomeAddressPostalCode", _variant_t(4711L)).result, S_OK);
  EXPECT_EQ(TextOf(Get(added, L"HomeAddressPostalCode")), L"4711");

  EXPECT_EQ(Invoke(added, L"LastName", DISPATCH_PROPERTYPUT, {}).result, DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(Put(added, L"LastName", Omitted()).result, DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(Get(added, L"Save").result, DISP_E_MEMBERNOTFOUND) << "a method is not a property";
  EXPECT_EQ(Call(added, L"Save", {_variant_t(1L)}).result, DISP_E_BADPARAMCOUNT);
}

TEST_F(ObjectModel, EntryIdIsReadOnly) {
  SeedFolder({Contact(L"Ada")});
  const IDispatchPtr stored = ObjectOf(Call(NewItems(), L"GetFirst"));
  const std::wstring entryId = *TextOf(Get(stored, L"EntryID"));
  EXPECT_EQ(Put(stored, L"EntryID", _variant_t(L"0000")).result, DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(TextOf(Get(stored, L"EntryID")), entryId);
  EXPECT_EQ(Put(stored, L"LastModificationTime", _variant_t(1.0)).result, DISP_E_MEMBERNOTFOUND);
}

TEST_F(ObjectModel, DeletedContactLeavesTheFolderAndRefusesLaterCalls) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bo"), Contact(L"Cy")});
  const IDispatchPtr walk = NewItems();
  Call(walk, L"GetFirst");
  const IDispatchPtr bo = ObjectOf(Call(walk, L"GetNext"));
  const IDispatchPtr otherCopyOfBo = [&] {
    const IDispatchPtr items = NewItems();
    Call(items, L"GetFirst");
    return ObjectOf(Call(items, L"GetNext"));
  }();

  EXPECT_EQ(Call(bo, L"Delete").result, S_OK);

  EXPECT_EQ(Walk(NewItems()), (std::vector<std::wstring>{L"Ada", L"Cy"}));
  EXPECT_EQ(FirstNameOf(ObjectOf(Call(walk, L"GetNext"))), L"Cy") << "the walk goes on after the deleted item";
  for (const auto& later : {Get(bo, L"FirstName"), Call(bo, L"Save"), Call(bo, L"Delete")}) {
    EXPECT_EQ(later.result, DISP_E_EXCEPTION);
    EXPECT_EQ(later.scode, kObjectDeleted);
  }
  const auto saveOfOtherCopy = Call(otherCopyOfBo, L"Save");
  EXPECT_EQ(saveOfOtherCopy.scode, kObjectDeleted) << "the contact is gone for every object";
  EXPECT_EQ(FolderContents().size(), 2u);
}

TEST_F(ObjectModel, NewCollectionCatchesUpWithAnotherProcess) {
  SeedFolder({Contact(L"Ada")});
  const IDispatchPtr before = NewItems();

  {  // another process appends to the same store file
    JournalFile otherProcess(storeFile_);
    FolderState itsFolder;
    JournalFile::Session session(otherProcess, itsFolder);
    journal::StoredItem item;
    item.entryId = L"00000000AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA";
    item.lastModificationTime = 45000;
    item.properties[0] = L"Zed";
    session.Append(journal::EncodeUpsert(item));
  }

  EXPECT_EQ(Walk(NewItems()), (std::vector<std::wstring>{L"Ada", L"Zed"}));
}

TEST_F(ObjectModel, RepeatedSavesAreCompactedAwayNotLost) {
  const std::wstring bulky(50000, L'x');  // 100 KB per saved version
  const IDispatchPtr added = ObjectOf(Call(NewItems(), L"Add"));
  for (int version = 0; version < 40; ++version) {
    Put(added, L"HomeAddressStreet", TextVariant(bulky + std::to_wstring(version)));
    ASSERT_EQ(Call(added, L"Save").result, S_OK);
  }

  EXPECT_LT(std::filesystem::file_size(storeFile_), 1300000u) << "40 versions would take 4 MB";
  UseStoreFile(storeFile_);
  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 1u);
  EXPECT_EQ(contents[0].contact.Get(L"HomeAddressStreet"), bulky + L"39");
}

TEST_F(ObjectModel, ObjectsServeSeveralThreadsAtOnce) {
  constexpr int kThreads = 4;
  constexpr int kSavesPerThread = 25;
  const IDispatchPtr items = NewItems();  // shared without marshalling: ThreadingModel Both
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&items, t] {
      CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      for (int i = 0; i < kSavesPerThread; ++i) {
        const IDispatchPtr added = ObjectOf(Call(items, L"Add"));
        Put(added, L"FirstName", _variant_t(std::to_wstring(t * 1000 + i).c_str()));
        Call(added, L"Save");
        Get(items, L"Count");
      }
      CoUninitialize();
    });
  }
  for (auto& thread : threads) thread.join();

  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), static_cast<std::size_t>(kThreads * kSavesPerThread));
  std::set<std::wstring> entryIds;
  std::set<std::wstring> names;
  for (const auto& item : contents) {
    entryIds.insert(item.entryId);
    names.insert(*item.contact.Get(L"FirstName"));
  }
  EXPECT_EQ(entryIds.size(), contents.size());
  EXPECT_EQ(names.size(), contents.size());
}

TEST_F(ObjectModel, SeedingKeepsGivenIdentitiesAndFillsMissingOnes) {
  FolderItem given = Contact(L"Given");
  given.entryId = std::wstring(140, L'E');
  given.lastModificationTime = 40000.5;
  SeedFolder({Contact(L"Ada"), given, DistributionListItem()});

  const auto contents = FolderContents();
  ASSERT_EQ(contents.size(), 3u);
  EXPECT_TRUE(IsEntryIdOfPersonalStore(contents[0].entryId));
  EXPECT_GT(contents[0].lastModificationTime, 40000.5);
  EXPECT_EQ(contents[1].entryId, given.entryId);
  EXPECT_EQ(contents[1].lastModificationTime, 40000.5);
  EXPECT_EQ(contents[2].kind, ItemKind::DistributionList);

  FolderItem duplicate = Contact(L"Twin");
  duplicate.entryId = given.entryId;
  EXPECT_THROW(SeedFolder({given, duplicate}), std::invalid_argument);
}

TEST_F(ObjectModel, SampleAddressBookHoldsTheAwkwardCases) {
  const auto book = SampleAddressBook();
  SeedFolder(book);
  EXPECT_EQ(FolderContents().size(), book.size());
  EXPECT_GE(book.size(), 30u);

  const auto listAt = std::find_if(book.begin(), book.end(),
                                   [](const FolderItem& item) { return item.kind == ItemKind::DistributionList; });
  ASSERT_NE(listAt, book.end());
  EXPECT_GT(listAt - book.begin(), static_cast<std::ptrdiff_t>(book.size() / 2));
  EXPECT_EQ(std::count_if(book.begin(), book.end(),
                          [](const FolderItem& item) { return item.kind == ItemKind::DistributionList; }),
            1);

  auto any = [&](auto predicate) { return std::any_of(book.begin(), book.end(), predicate); };
  auto text = [](const FolderItem& item, const wchar_t* property) {
    return item.contact.Get(property).value_or(L"");
  };
  EXPECT_TRUE(any([&](const FolderItem& i) { return text(i, L"CompanyName").size() > 63; }));
  EXPECT_TRUE(any([&](const FolderItem& i) { return text(i, L"Email1Address").size() > 255; }));
  EXPECT_TRUE(any([](const FolderItem& i) { return i.entryId.size() > 63; }));
  EXPECT_TRUE(any([&](const FolderItem& i) {
    const auto last = text(i, L"LastName");
    return std::any_of(last.begin(), last.end(), [](wchar_t unit) { return unit >= 0xD800 && unit < 0xDC00; });
  }));
  EXPECT_TRUE(any([&](const FolderItem& i) { return text(i, L"LastName").find(L'\x0413') != std::wstring::npos; }));
  EXPECT_TRUE(any([](const FolderItem& i) {
    return i.kind == ItemKind::Contact && i.contact.Get(L"LastName") &&
           std::count_if(i.contact.properties.begin(), i.contact.properties.end(),
                         [](const PropertyValue& value) { return value.has_value(); }) == 1;
  }));
  EXPECT_TRUE(any([](const FolderItem& i) {
    return i.kind == ItemKind::Contact &&
           std::all_of(i.contact.properties.begin(), i.contact.properties.end(),
                       [](const PropertyValue& value) { return value && value->empty(); });
  }));
}

}  // namespace
}  // namespace outlook_standin::testing

namespace outlook_standin::testing {
namespace {

constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);
constexpr HRESULT kInvalidEntryId = static_cast<HRESULT>(0x80040107);

std::wstring AsciiLoweredForTest(std::wstring text) {
  for (wchar_t& unit : text) unit = static_cast<wchar_t>(std::towlower(unit));
  return text;
}

IDispatchPtr ItemsOf(IDispatch* nameSpace) {
  const IDispatchPtr folder = ObjectOf(Call(nameSpace, L"GetDefaultFolder", {_variant_t(10L)}));
  return ObjectOf(Get(folder, L"Items"));
}

class ItemLookUp : public StandinTest {
 protected:
  IDispatchPtr NameSpaceObject() {
    const IDispatchPtr application = CreateApplication();
    return ObjectOf(Call(application, L"GetNamespace", {_variant_t(L"MAPI")}));
  }
};

TEST_F(ItemLookUp, GetItemFromIdFindsStoredItemsOfEitherKindInTheContactsFolder) {
  SeedFolder({Contact(L"Ada"), DistributionListItem()});
  const auto stored = FolderContents();
  const IDispatchPtr nameSpace = NameSpaceObject();
  for (const std::wstring& key : {stored[0].entryId, AsciiLoweredForTest(stored[0].entryId)}) {
    const IDispatchPtr found = ObjectOf(Call(nameSpace, L"GetItemFromID", {_variant_t(key.c_str())}));
    ASSERT_NE(found, nullptr) << "the EntryID names bytes: the letter case of its digits does not matter";
    EXPECT_EQ(FirstNameOf(found), L"Ada");
    EXPECT_EQ(TextOf(Get(found, L"EntryID")), stored[0].entryId) << "the item answers its own EntryID";
  }
  const IDispatchPtr list = ObjectOf(Call(nameSpace, L"GetItemFromID", {_variant_t(stored[1].entryId.c_str())}));
  ASSERT_NE(list, nullptr);
  IDispatch* contact = nullptr;
  EXPECT_EQ(list->QueryInterface(kContactItemInterfaceId, reinterpret_cast<void**>(&contact)), E_NOINTERFACE);

  const IDispatchPtr folder = ObjectOf(Call(nameSpace, L"GetDefaultFolder", {_variant_t(10L)}));
  const auto folderId = TextOf(Get(folder, L"EntryID"));
  ASSERT_TRUE(folderId && !folderId->empty());
  const IDispatchPtr contactAgain = ObjectOf(Call(nameSpace, L"GetItemFromID", {_variant_t(stored[0].entryId.c_str())}));
  for (IDispatch* item : {static_cast<IDispatch*>(list), static_cast<IDispatch*>(contactAgain)}) {
    const IDispatchPtr parent = ObjectOf(Get(item, L"Parent"));
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(TextOf(Get(parent, L"EntryID")), folderId) << "every item lies in the Contacts folder";
  }
}

TEST_F(ItemLookUp, GetItemFromIdFailsAsOutlookDoesForItemsItCannotOpen) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bob")});
  const auto stored = FolderContents();
  const IDispatchPtr nameSpace = NameSpaceObject();
  // Deleted through an item object, as a client deletes.
  Call(ObjectOf(Call(nameSpace, L"GetItemFromID", {_variant_t(stored[1].entryId.c_str())})), L"Delete");
  const struct {
    std::wstring key;
    HRESULT expected;
  } cases[] = {
      {stored[1].entryId, kNotFound},
      {std::wstring(48, L'0'), kNotFound},
      {stored[0].entryId + L"0", kInvalidEntryId},
      {stored[0].entryId.substr(0, 46) + L"XY", kInvalidEntryId},
      {L"", kInvalidEntryId},
  };
  for (const auto& c : cases) {
    const Invocation answer = Call(nameSpace, L"GetItemFromID", {_variant_t(c.key.c_str())});
    EXPECT_EQ(answer.result, DISP_E_EXCEPTION) << "key of " << c.key.size() << " units";
    EXPECT_EQ(answer.scode, c.expected) << "key of " << c.key.size() << " units";
  }
}

TEST_F(ItemLookUp, GetLastMovesTheWalkOntoTheLastItem) {
  SeedFolder({Contact(L"Ada"), Contact(L"Bob")});
  const IDispatchPtr items = ItemsOf(NameSpaceObject());
  EXPECT_EQ(FirstNameOf(ObjectOf(Call(items, L"GetLast"))), L"Bob");
  EXPECT_EQ(ObjectOf(Call(items, L"GetNext")), nullptr);
  StoreItem(Contact(L"Cyd"));
  EXPECT_EQ(FirstNameOf(ObjectOf(Call(items, L"GetNext"))), L"Cyd") << "an item added later lies after the last";

  SeedFolder({});
  const IDispatchPtr empty = ItemsOf(NameSpaceObject());
  EXPECT_EQ(ObjectOf(Call(empty, L"GetLast")), nullptr);
}

TEST_F(ItemLookUp, SortByModificationTimeOrdersTheWalkOfThatCollectionOnly) {
  std::vector<FolderItem> items{Contact(L"Ada"), Contact(L"Bob"), DistributionListItem(), Contact(L"Cyd")};
  const double times[] = {45002.0, 45003.0, 45004.0, 45001.0};
  for (std::size_t i = 0; i < items.size(); ++i) items[i].lastModificationTime = times[i];
  SeedFolder(items);
  const IDispatchPtr nameSpace = NameSpaceObject();
  const IDispatchPtr sorted = ItemsOf(nameSpace);
  Call(sorted, L"Sort", {_variant_t(L"[LastModificationTime]"), _variant_t(true)});
  EXPECT_EQ(Walk(sorted), (std::vector<std::wstring>{L"<list>", L"Bob", L"Ada", L"Cyd"}));
  Call(sorted, L"Sort", {_variant_t(L"LastModificationTime")});
  EXPECT_EQ(Walk(sorted), (std::vector<std::wstring>{L"Cyd", L"Ada", L"Bob", L"<list>"}));
  EXPECT_EQ(Walk(ItemsOf(nameSpace)), (std::vector<std::wstring>{L"Ada", L"Bob", L"<list>", L"Cyd"}));

  const Invocation refused = Call(sorted, L"Sort", {_variant_t(L"[FirstName]")});
  EXPECT_EQ(refused.result, DISP_E_EXCEPTION);
  EXPECT_EQ(refused.scode, E_INVALIDARG);
}

}  // namespace
}  // namespace outlook_standin::testing
