// _Items: a collection over the folder with its own walk position, in folder
// order or, once sorted, in the order of modification times; indexed access
// (Item, its default member) and enumeration (_NewEnum, For Each) follow the
// same order.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ascii_case.h"
#include "com_failure.h"
#include "contacts_folder.h"
#include "dispatch_object.h"
#include "item_identity.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kCount = 1;
constexpr DISPID kAdd = 2;
constexpr DISPID kGetFirst = 3;
constexpr DISPID kGetNext = 4;
constexpr DISPID kGetLast = 5;
constexpr DISPID kSort = 6;
constexpr DISPID kItem = DISPID_VALUE;
constexpr DISPID kNewEnum = DISPID_NEWENUM;
constexpr long kContactItemType = 2;  // olContactItem
constexpr std::array<Member, 8> kMembers{{
    {L"Count", kCount, MemberAccess::Read, OutlookCall::Count},
    {L"Add", kAdd, MemberAccess::Method, OutlookCall::Add},
    {L"GetFirst", kGetFirst, MemberAccess::Method, OutlookCall::GetFirst},
    {L"GetNext", kGetNext, MemberAccess::Method, OutlookCall::GetNext},
    {L"GetLast", kGetLast, MemberAccess::Method, OutlookCall::GetLast},
    {L"Sort", kSort, MemberAccess::Method, OutlookCall::Sort},
    {L"Item", kItem, MemberAccess::Method, OutlookCall::Item},
    {L"_NewEnum", kNewEnum, MemberAccess::Read, OutlookCall::NewEnum},
}};

// The one sort key this stand-in offers; Outlook accepts the name with or
// without brackets.
bool NamesModificationTime(const std::wstring& property) {
  return EqualsIgnoringAsciiCase(property, L"[LastModificationTime]") ||
         EqualsIgnoringAsciiCase(property, L"LastModificationTime");
}

class Items final : public DispatchObject {
 public:
  Items() : DispatchObject(kItemsInterfaceId, kMembers) {}

 private:
  void Perform(const Member& member, Operation, const DISPPARAMS& params, VARIANT* result) override {
    if (member.id == kAdd) {
      Add(Arguments::ForCall(params, 0, 1), result);
      return;
    }
    if (member.id == kSort) {
      Sort(Arguments::ForCall(params, 1, 2));
      return;
    }
    if (member.id == kItem) {
      ReturnObject(result, ItemAt(Arguments::ForCall(params, 1, 1)));
      return;
    }
    Arguments::ForCall(params, 0, 0);
    const auto lock = LockStandin();
    switch (member.id) {
      case kCount:
        ReturnLong(result, static_cast<long>(TheContactsFolder().Count(lock)));
        return;
      case kGetFirst:
        position_.reset();
        timeOrderPosition_.reset();
        ReturnObject(result, Step(lock));
        return;
      case kGetNext:
        ReturnObject(result, Step(lock));
        return;
      case kGetLast:
        ReturnObject(result, Last(lock));
        return;
      case kNewEnum:
        ReturnUnknown(result, NewItemEnumerator(InOrder(lock)));
        return;
    }
  }

  void Sort(const Arguments& arguments) {
    if (!NamesModificationTime(arguments.Text(0))) {
      throw ComFailure(E_INVALIDARG, L"The stand-in sorts by [LastModificationTime] only.");
    }
    const auto lock = LockStandin();
    descending_ = arguments.Has(1) && arguments.Long(1) != 0;
    position_.reset();
    timeOrderPosition_.reset();
  }

  // Item(index): the index-th item, counting from 1, as Outlook counts.
  // Outlook also matches a text against the items' subjects; contacts of the
  // stand-in have no subject, so a text that is no number finds nothing.
  IDispatchPtr ItemAt(const Arguments& arguments) {
    long index = 0;
    try {
      index = arguments.Long(0);
    } catch (const DispatchRefusal&) {
      throw ComFailure(kNotFound, L"The attempted operation failed. An object could not be found.");
    }
    std::optional<journal::StoredItem> found;
    if (index >= 1) {
      const auto lock = LockStandin();
      found = TheContactsFolder().ItemAt(lock, static_cast<std::size_t>(index - 1), descending_);
    }
    if (!found) throw ComFailure(DISP_E_BADINDEX, L"Array index out of bounds.");
    return NewItemObject(std::move(*found));
  }

  // Every item, in the collection's order.
  std::vector<journal::StoredItem> InOrder(const StandinLock& lock) const {
    if (!descending_) return TheContactsFolder().Items(lock);
    std::vector<journal::StoredItem> items;
    std::optional<ContactsFolder::TimeOrderPosition> at;
    while (auto found = TheContactsFolder().ItemAfterInTimeOrder(lock, at, *descending_)) {
      at = found->first;
      items.push_back(std::move(found->second));
    }
    return items;
  }

  static void Add(const Arguments& arguments, VARIANT* result) {
    if (arguments.Has(0) && arguments.Long(0) != kContactItemType) {
      throw ComFailure(E_INVALIDARG, L"A contacts folder holds contact items (olContactItem, 2).");
    }
    journal::StoredItem unsaved;
    unsaved.lastModificationTime = CurrentDate();
    ReturnObject(result, NewContactItem(std::move(unsaved)));
  }

  // The item after the position, which moves onto it; at the end, Nothing
  // (a null object), as Outlook answers. Items that other clients added
  // since the collection was made lie beyond its end, so the end is checked
  // against the store file once more.
  IDispatchPtr Step(const StandinLock& lock) {
    if (IDispatchPtr next = StepInMemory(lock)) return next;
    TheContactsFolder().Refresh(lock);
    return StepInMemory(lock);
  }

  IDispatchPtr StepInMemory(const StandinLock& lock) {
    if (descending_) {
      auto found = TheContactsFolder().ItemAfterInTimeOrder(lock, timeOrderPosition_, *descending_);
      if (!found) return nullptr;
      timeOrderPosition_ = found->first;
      return NewItemObject(std::move(found->second));
    }
    auto found = TheContactsFolder().ItemAfter(lock, position_);
    if (!found) return nullptr;
    position_ = found->first;
    return NewItemObject(std::move(found->second));
  }

  // The last item, which the position moves onto; Nothing in an empty folder.
  IDispatchPtr Last(const StandinLock& lock) {
    if (descending_) throw ComFailure(E_NOTIMPL, L"The stand-in does not step backwards through a sorted collection.");
    TheContactsFolder().Refresh(lock);
    auto found = TheContactsFolder().LastItem(lock);
    position_.reset();
    if (!found) return nullptr;
    position_ = found->first;
    return NewItemObject(std::move(found->second));
  }

  std::optional<ContactsFolder::Position> position_;
  // Set once the collection is sorted: whether latest first.
  std::optional<bool> descending_;
  std::optional<ContactsFolder::TimeOrderPosition> timeOrderPosition_;
};

}  // namespace

IDispatchPtr NewItems() { return MakeObject<Items>(); }

IDispatchPtr NewItemObject(journal::StoredItem item) {
  return item.kind == journal::StoredKind::DistributionList ? NewDistListItem(std::move(item))
                                                            : NewContactItem(std::move(item));
}

}  // namespace outlook_standin
