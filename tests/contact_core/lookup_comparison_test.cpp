// The session's look-ups by EntryID against the walking ones they replace:
// on seeded random folders, with contacts and distribution lists added,
// edited and deleted between the calls, by another client and through the
// session itself, both sessions answer every call alike: the same contacts
// in the same order from their walks, the same contact (or none) from every
// look-up, the same counts and the same latest modification time.
#include <gtest/gtest.h>

#include <cwctype>
#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "contact_mapping.h"
#include "outlook_dispatch.h"
#include "outlook_session.h"
#include "outlook_test_environment.h"
#include "walking_session.h"

namespace contact_core {
namespace {

using outlook_standin::FolderItem;
using outlook_standin::ItemKind;

std::optional<std::wstring> EntryIdOf(IDispatch* contact) {
  if (contact == nullptr) return std::nullopt;
  const _bstr_t id = ReadContactProperty(contact, FieldId::EntryID);
  return std::wstring(static_cast<const wchar_t*>(id), id.length());
}

// What a call answered: the contact's EntryID and modification time, read
// from the object it returned, or nothing.
struct Answer {
  std::optional<std::wstring> entry_id;
  std::optional<double> modified;
  bool operator==(const Answer&) const = default;
};

Answer AnswerOf(IDispatch* contact, std::optional<std::wstring> entry_id) {
  if (contact == nullptr) return {};
  return {std::move(entry_id), ReadLastModificationTime(contact)};
}

std::ostream& operator<<(std::ostream& out, const Answer& answer) {
  if (!answer.entry_id) return out << "no contact";
  return out << std::string(answer.entry_id->begin(), answer.entry_id->end()) << " @" << *answer.modified;
}

class Comparison {
 public:
  explicit Comparison(unsigned seed) : random_(seed) {}

  void Run(int steps) {
    SeedFolder();
    ASSERT_EQ(fast_.OpenContacts(), walking_.OpenContacts());
    for (int step = 0; step < steps; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      Step();
      if (::testing::Test::HasFailure()) {
        std::string recent;
        for (std::size_t i = history_.size() > 12 ? history_.size() - 12 : 0; i < history_.size(); ++i) {
          recent += "  " + history_[i] + "\n";
        }
        ADD_FAILURE() << "the calls before it:\n" << recent;
        return;
      }
    }
  }

 private:
  int Pick(int choices) { return std::uniform_int_distribution<int>(0, choices - 1)(random_); }
  bool Chance(int percent) { return Pick(100) < percent; }

  FolderItem NewItem() {
    FolderItem item;
    if (Chance(15)) {
      item.kind = ItemKind::DistributionList;
    } else {
      item.contact.Set(L"LastName", L"Contact " + std::to_wstring(++labels_));
    }
    return item;
  }

  void SeedFolder() {
    std::vector<FolderItem> items;
    for (int count = Pick(25); count > 0; --count) items.push_back(NewItem());
    outlook_standin::SeedFolder(items);
    for (const auto& item : outlook_standin::FolderContents()) known_.push_back(item.entryId);
  }

  // An EntryID to look up: one the folder holds or held, a contact's or a
  // distribution list's, or one that differs from such an EntryID in letter
  // case or length, or none at all.
  _bstr_t Key() {
    if (known_.empty() || Chance(5)) return _bstr_t(L"");
    std::wstring key = known_[static_cast<std::size_t>(Pick(static_cast<int>(known_.size())))];
    switch (Pick(10)) {
      case 0:
        for (auto& unit : key) unit = static_cast<wchar_t>(std::towlower(unit));
        break;
      case 1:
        key += L"0";
        break;
      default:
        break;
    }
    return _bstr_t(key.c_str());
  }

  std::optional<FolderItem> LiveItem(bool contacts_only) {
    std::vector<FolderItem> items;
    for (auto& item : outlook_standin::FolderContents()) {
      if (!contacts_only || item.kind == ItemKind::Contact) items.push_back(std::move(item));
    }
    if (items.empty()) return std::nullopt;
    return items[static_cast<std::size_t>(Pick(static_cast<int>(items.size())))];
  }

  // The fast session learns the folder's order from EntryIDs read through
  // it; half the time the caller reads them on its own instead.
  Answer FastWalkAnswer(IDispatch* contact) {
    if (contact == nullptr) return {};
    if (Chance(50)) return AnswerOf(contact, EntryIdOf(contact));
    const _bstr_t id = fast_.EntryIdOfWalkContact();
    return AnswerOf(contact, std::wstring(static_cast<const wchar_t*>(id), id.length()));
  }

  void Step() {
    const int roll = Pick(100);
    if (roll < 8) {
      Note("FirstContact");
      const IDispatchPtr fast = fast_.FirstContact();
      const IDispatchPtr walking = walking_.FirstContact();
      EXPECT_EQ(FastWalkAnswer(fast), AnswerOf(walking, EntryIdOf(walking))) << "FirstContact";
    } else if (roll < 38) {
      Note("NextContact");
      const IDispatchPtr fast = fast_.NextContact();
      const IDispatchPtr walking = walking_.NextContact();
      EXPECT_EQ(FastWalkAnswer(fast), AnswerOf(walking, EntryIdOf(walking))) << "NextContact";
    } else if (roll < 63) {
      const _bstr_t key = Key();
      Note("FindContact " + Short(std::wstring(static_cast<const wchar_t*>(key), key.length())));
      const IDispatchPtr fast = fast_.FindContact(key);
      const IDispatchPtr walking = walking_.FindContact(key);
      EXPECT_EQ(AnswerOf(fast, EntryIdOf(fast)), AnswerOf(walking, EntryIdOf(walking))) << "FindContact";
      if (fast && Chance(10)) {
        // Deleted through the session, as the provider deletes.
        Note("  and deleted through it");
        CallMethod(fast, ContactInterface(), "Delete");
      }
    } else if (roll < 67) {
      Note("LatestModificationTime");
      EXPECT_EQ(fast_.LatestModificationTime(), walking_.LatestModificationTime()) << "LatestModificationTime";
    } else if (roll < 70) {
      EXPECT_EQ(fast_.GetContactCount(), walking_.GetContactCount()) << "GetContactCount";
    } else if (roll < 74) {
      Note("OpenContacts");
      EXPECT_EQ(fast_.OpenContacts(), walking_.OpenContacts()) << "OpenContacts";
    } else {
      ChangeFolder();
    }
  }

  void ChangeFolder() {
    switch (Pick(5)) {
      case 0:
        known_.push_back(outlook_standin::StoreItem(NewItem()));
        Note("another client adds " + Short(known_.back()));
        break;
      case 1:
        if (auto item = LiveItem(true)) {
          item->contact.Set(L"Title", L"Edited " + std::to_wstring(++labels_));
          outlook_standin::StoreItem(*item);
          Note("another client edits " + Short(item->entryId));
        }
        break;
      case 2:
        if (auto item = LiveItem(false)) {
          outlook_standin::DeleteItem(item->entryId);
          Note("another client deletes " + Short(item->entryId));
        }
        break;
      case 3: {
        // Added through the session, as the provider adds.
        const IDispatchPtr added = fast_.AddContact();
        WriteContactProperty(added, FieldId::LastName, _bstr_t((L"Added " + std::to_wstring(++labels_)).c_str()));
        CallMethod(added, ContactInterface(), "Save");
        known_.push_back(*EntryIdOf(added));
        Note("the session adds " + Short(known_.back()));
        break;
      }
      default:
        if (auto item = LiveItem(true)) {
          // Edited through an object the session handed out.
          const IDispatchPtr contact = fast_.FindContact(_bstr_t(item->entryId.c_str()));
          walking_.FindContact(_bstr_t(item->entryId.c_str()));
          Note("FindContact " + Short(item->entryId) + " and edit it");
          if (contact) {
            WriteContactProperty(contact, FieldId::CompanyName, _bstr_t(L"Edited"));
            CallMethod(contact, ContactInterface(), "Save");
          }
        }
        break;
    }
  }

  std::mt19937 random_;
  OutlookSession fast_;
  WalkingSession walking_;
  void Note(std::string what) { history_.push_back(std::move(what)); }
  static std::string Short(const std::wstring& entry_id) {
    return std::string(entry_id.end() - std::min<std::size_t>(entry_id.size(), 6), entry_id.end());
  }

  std::vector<std::wstring> known_;
  std::vector<std::string> history_;
  int labels_ = 0;
};

using LookupComparisonTest = test_support::OutlookTest;

TEST_F(LookupComparisonTest, FastLookUpsAnswerAsTheWalkingOnesOnRandomFolders) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    Comparison(seed).Run(400);
    if (HasFailure()) return;
  }
}

}  // namespace
}  // namespace contact_core
