#include "outlook_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "contact_mapping.h"
#include "outlook_dispatch.h"
#include "outlook_test_environment.h"

namespace contact_core {
namespace {

using outlook_standin::ArmFault;
using outlook_standin::CallCount;
using outlook_standin::OutlookCall;
using test_support::ContactWith;
using test_support::DistributionList;

std::wstring EntryIdOf(IDispatch* contact) {
  const _bstr_t id = ReadContactProperty(contact, FieldId::EntryID);
  return {static_cast<const wchar_t*>(id), id.length()};
}

std::wstring LastNameOf(IDispatch* contact) {
  return static_cast<const wchar_t*>(ReadContactProperty(contact, FieldId::LastName));
}

// The last names a walk from the first contact sees.
std::vector<std::wstring> Walk(OutlookSession& session) {
  std::vector<std::wstring> names;
  for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
    names.push_back(LastNameOf(contact));
  }
  return names;
}

outlook_standin::FolderItem Named(const wchar_t* last_name) { return ContactWith({{L"LastName", last_name}}); }

using OutlookSessionTest = test_support::OutlookTest;

TEST_F(OutlookSessionTest, WhenOutlookCannotBeCreatedNothingIsOpen) {
  Seed({Named(L"A")});
  ArmFault({.call = OutlookCall::CreateApplication, .result = REGDB_E_CLASSNOTREG, .sticky = true});
  OutlookSession session;
  EXPECT_EQ(session.OpenContacts(), 0);
  EXPECT_FALSE(session.HasOpenCollection());
  EXPECT_EQ(session.FirstContact(), nullptr);
  EXPECT_EQ(session.FindContact(L"anything"), nullptr);
  EXPECT_EQ(session.LatestModificationTime(), 0.0);
  EXPECT_EQ(session.GetContactCount(), 0);
  try {
    session.AddContact();
    FAIL() << "AddContact without a collection must raise";
  } catch (const _com_error& error) {
    EXPECT_EQ(error.Error(), E_POINTER);
  }
}

TEST_F(OutlookSessionTest, AFailedReattachKeepsTheEarlierCollection) {
  Seed({Named(L"A"), Named(L"B")});
  OutlookSession session;
  ASSERT_EQ(session.OpenContacts(), 2);
  ArmFault({.call = OutlookCall::CreateApplication, .result = CO_E_SERVER_EXEC_FAILURE, .sticky = true});
  EXPECT_EQ(session.OpenContacts(), 0);
  EXPECT_TRUE(session.HasOpenCollection());
  EXPECT_EQ(Walk(session), (std::vector<std::wstring>{L"A", L"B"}));
  EXPECT_EQ(session.GetContactCount(), 2);
}

TEST_F(OutlookSessionTest, AnEmptyFolderOpensWithCountZeroAndStillTakesNewContacts) {
  Seed({});
  OutlookSession session;
  EXPECT_EQ(session.OpenContacts(), 0);
  EXPECT_TRUE(session.HasOpenCollection());
  EXPECT_EQ(session.FirstContact(), nullptr);
  EXPECT_EQ(session.LatestModificationTime(), 0.0);
  ContactRecord record;
  record.SetText(FieldId::LastName, u"New");
  WriteContact(&record, session.AddContact());
  EXPECT_EQ(session.OpenContacts(), 1);
}

TEST_F(OutlookSessionTest, AWalkPassesOverItemsThatAreNotContactsAndEndsAtTheEnd) {
  struct Case {
    const char* what;
    std::vector<outlook_standin::FolderItem> items;
    std::vector<std::wstring> walked;
    int last_contact;  // position of the last contact, -1 for none
  } cases[] = {
      {"a list between contacts", {Named(L"A"), DistributionList(), Named(L"C")}, {L"A", L"C"}, 2},
      {"lists first, side by side and last",
       {DistributionList(), DistributionList(), Named(L"C"), DistributionList(), DistributionList(), Named(L"F"),
        DistributionList()},
       {L"C", L"F"},
       5},
      {"only lists", {DistributionList(), DistributionList()}, {}, -1},
  };
  for (const Case& c : cases) {
    const auto ids = Seed(c.items);
    OutlookSession session;
    EXPECT_EQ(session.OpenContacts(), static_cast<long>(c.items.size())) << c.what << ": Count counts every item";
    EXPECT_EQ(Walk(session), c.walked) << c.what;
    EXPECT_EQ(session.NextContact(), nullptr) << c.what << ": the end stays the end";
    if (c.last_contact < 0) {
      EXPECT_EQ(session.FindContact(ids.front().c_str()), nullptr) << c.what << ": a list is no contact";
      continue;
    }
    const IDispatchPtr found = session.FindContact(ids[c.last_contact].c_str());
    ASSERT_NE(found, nullptr) << c.what << ": a contact behind a list is found";
    EXPECT_EQ(LastNameOf(found), c.walked.back()) << c.what;
    EXPECT_EQ(session.NextContact(), nullptr) << c.what << ": the walk goes on from the look-up to the end";
  }
}

TEST_F(OutlookSessionTest, LatestModificationTimeReachesContactsBehindAListAndClosingWalksNothing) {
  std::vector<outlook_standin::FolderItem> items = {Named(L"A"), DistributionList(), Named(L"C")};
  items[0].lastModificationTime = 45000.0;
  items[2].lastModificationTime = 45010.0;
  Seed(items);
  OutlookSession session;
  session.OpenContacts();
  EXPECT_EQ(session.LatestModificationTime(), 45010.0);
  session.FirstContact();
  outlook_standin::ResetCallCounts();
  session.CloseItems();
  EXPECT_EQ(CallCount(OutlookCall::GetFirst) + CallCount(OutlookCall::GetNext), 0);
  EXPECT_FALSE(session.HasOpenCollection());
}

TEST_F(OutlookSessionTest, FindContactMatchesExactlyAndMovesTheSharedWalk) {
  const auto ids = Seed({Named(L"A"), Named(L"B"), Named(L"C")});
  OutlookSession session;
  session.OpenContacts();

  std::wstring lower = ids[1];
  for (wchar_t& c : lower) c = towlower(c);
  const std::wstring near_misses[] = {lower, ids[1] + L"0", ids[1].substr(0, 47), L""};
  for (const std::wstring& key : near_misses) {
    EXPECT_EQ(session.FindContact(_bstr_t(key.c_str())), nullptr) << "key of " << key.size() << " units";
  }

  IDispatchPtr found = session.FindContact(ids[1].c_str());
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(EntryIdOf(found), ids[1]);
  IDispatchPtr next = session.NextContact();
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(LastNameOf(next), L"C") << "a walk continues from where the look-up stopped";
}

TEST_F(OutlookSessionTest, OpeningTwiceGivesAFreshCollectionWithoutWalkingTheOldOne) {
  Seed({Named(L"A"), Named(L"B"), Named(L"C")});
  OutlookSession session;
  ASSERT_EQ(session.OpenContacts(), 3);
  session.FirstContact();
  session.NextContact();
  outlook_standin::ResetCallCounts();

  EXPECT_EQ(session.OpenContacts(), 3);
  EXPECT_EQ(CallCount(OutlookCall::CreateApplication), 1) << "every open attaches anew";
  EXPECT_EQ(CallCount(OutlookCall::Items), 1);
  EXPECT_EQ(CallCount(OutlookCall::GetFirst) + CallCount(OutlookCall::GetNext), 0) << "the old collection is let go";
  EXPECT_EQ(Walk(session), (std::vector<std::wstring>{L"A", L"B", L"C"}));
}

// What a look-up costs does not grow with the folder: Outlook is asked for
// the item by its EntryID. Only the first look-up of a contact away from the
// walk learns the folder's order, once, up to that contact.
TEST_F(OutlookSessionTest, LookUpsCostCallsIndependentOfTheFolder) {
  constexpr int kContacts = 400;
  std::vector<outlook_standin::FolderItem> items;
  for (int i = 0; i < kContacts; ++i) items.push_back(Named((L"N" + std::to_wstring(i)).c_str()));
  const auto ids = Seed(items);
  OutlookSession session;
  session.OpenContacts();
  session.FindContact(ids.back().c_str());
  outlook_standin::ResetCallCounts();

  long most = 0;
  for (int i = kContacts - 1; i >= 0; i -= 7) {
    const long before = outlook_standin::CallCount(OutlookCall::GetItemFromID) +
                        CallCount(OutlookCall::PropertyGet) + CallCount(OutlookCall::GetNext) +
                        CallCount(OutlookCall::GetLast) + CallCount(OutlookCall::GetFirst);
    const IDispatchPtr found = session.FindContact(ids[static_cast<std::size_t>(i)].c_str());
    ASSERT_NE(found, nullptr);
    const long after = outlook_standin::CallCount(OutlookCall::GetItemFromID) +
                       CallCount(OutlookCall::PropertyGet) + CallCount(OutlookCall::GetNext) +
                       CallCount(OutlookCall::GetLast) + CallCount(OutlookCall::GetFirst);
    most = std::max(most, after - before);
  }
  EXPECT_LE(most, 4) << "GetItemFromID, then the found item's EntryID, Parent and the folder's EntryID";

  outlook_standin::ResetCallCounts();
  EXPECT_EQ(session.FindContact(L"000000000000000000000000000000000000000000000000"), nullptr);
  EXPECT_EQ(CallCount(OutlookCall::GetItemFromID), 1);
  EXPECT_EQ(CallCount(OutlookCall::GetLast), 1) << "the walk is past the end, as after a walk that found nothing";
  EXPECT_EQ(session.NextContact(), nullptr);

  outlook_standin::ResetCallCounts();
  session.LatestModificationTime();
  EXPECT_LE(CallCount(OutlookCall::GetFirst) + CallCount(OutlookCall::GetNext) + CallCount(OutlookCall::PropertyGet), 2)
      << "the latest contact comes first in a collection sorted by modification time";
}

// A contact found by a look-up and deleted before the walk goes on: the walk
// goes on where it would have had the look-up walked to the contact.
TEST_F(OutlookSessionTest, AWalkGoesOnAfterALookedUpContactDeletedMeanwhile) {
  const auto ids = Seed({Named(L"A"), Named(L"B"), DistributionList(), Named(L"C"), Named(L"D")});
  OutlookSession session;
  session.OpenContacts();
  ASSERT_NE(session.FindContact(ids[1].c_str()), nullptr);
  outlook_standin::StoreItem(Named(L"E"));
  outlook_standin::DeleteItem(ids[1]);
  const IDispatchPtr next = session.NextContact();
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(LastNameOf(next), L"C");
  EXPECT_EQ(LastNameOf(session.NextContact()), L"D");
  EXPECT_EQ(LastNameOf(session.NextContact()), L"E");
}

TEST_F(OutlookSessionTest, LatestModificationTimeIsTheGreatestOfTheContacts) {
  struct Case {
    std::vector<double> times;
    double expected;
  } cases[] = {
      {{45000.5, 45000.5, 45000.5}, 45000.5},
      {{45001.0, 45003.25, 45002.0}, 45003.25},
      {{45000.0}, 45000.0},
  };
  for (const Case& c : cases) {
    std::vector<outlook_standin::FolderItem> items;
    for (double time : c.times) {
      items.push_back(Named(L"X"));
      items.back().lastModificationTime = time;
    }
    Seed(items);
    OutlookSession session;
    session.OpenContacts();
    EXPECT_EQ(session.LatestModificationTime(), c.expected);
  }
}

TEST_F(OutlookSessionTest, OutlookErrorsCarryTheirHresultAndErrorInfo) {
  Seed({Named(L"A")});
  OutlookSession session;
  session.OpenContacts();
  struct Case {
    bool as_exception;
    HRESULT result;
  } cases[] = {{true, E_ACCESSDENIED}, {false, E_UNEXPECTED}};
  for (const Case& c : cases) {
    ArmFault({.call = OutlookCall::GetFirst, .result = c.result, .asException = c.as_exception});
    try {
      session.FirstContact();
      ADD_FAILURE() << "GetFirst failed, so FirstContact must raise";
    } catch (const _com_error& error) {
      EXPECT_EQ(error.Error(), c.result);
      if (c.as_exception) {
        const IErrorInfoPtr info(error.ErrorInfo(), false);
        EXPECT_NE(info, nullptr) << "the collection offers error information";
      }
    }
  }
}

TEST_F(OutlookSessionTest, TheDestructorOnlyLetsGo) {
  Seed({Named(L"A"), Named(L"B")});
  auto session = std::make_unique<OutlookSession>();
  session->OpenContacts();
  session->FirstContact();
  ArmFault({.call = OutlookCall::GetNext, .result = E_FAIL, .sticky = true});
  outlook_standin::ResetCallCounts();
  EXPECT_NO_THROW(session.reset());
  EXPECT_EQ(CallCount(OutlookCall::GetFirst) + CallCount(OutlookCall::GetNext), 0);
  EXPECT_EQ(outlook_standin::LiveObjectCount(), 0) << "every reference is released";
}

TEST_F(OutlookSessionTest, ACollectionOfAGoneOutlookIsLetGoAndTheRestartedOneReached) {
  Seed({Named(L"A"), Named(L"B")});
  OutlookSession session;
  ASSERT_EQ(session.OpenContacts(), 2);
  outlook_standin::RestartOutlook();
  EXPECT_NO_THROW(session.CloseItems()) << "closing makes no call into the gone Outlook";
  EXPECT_FALSE(session.HasOpenCollection());
  EXPECT_EQ(session.OpenContacts(), 2) << "the restarted Outlook is reached";
  EXPECT_EQ(Walk(session), (std::vector<std::wstring>{L"A", L"B"}));
  outlook_standin::RestartOutlook();
  EXPECT_EQ(session.OpenContacts(), 2) << "opening again lets go of the stale collection itself";
  EXPECT_EQ(Walk(session), (std::vector<std::wstring>{L"A", L"B"}));
}

TEST_F(OutlookSessionTest, EachMemberNameIsLookedUpAtMostOnce) {
  Seed({Named(L"A"), Named(L"B"), Named(L"C")});
  OutlookSession session;
  session.OpenContacts();
  for (IDispatchPtr contact = session.FirstContact(); contact; contact = session.NextContact()) {
    ContactRecord record;
    ReadContact(contact, &record);
    ReadLastModificationTime(contact);
  }
  for (const ContactField& field : kContactFields) {
    const std::wstring name(field.name.begin(), field.name.end());
    EXPECT_LE(CallCount(OutlookCall::GetIDsOfNames, name), 1) << field.name;
  }
  for (const wchar_t* name : {L"LastModificationTime", L"GetFirst", L"GetNext", L"Items", L"Count"}) {
    EXPECT_LE(CallCount(OutlookCall::GetIDsOfNames, name), 1);
  }
  EXPECT_LE(CallCount(OutlookCall::GetIDsOfNames), 26 + 1 + 5);
}

}  // namespace
}  // namespace contact_core
