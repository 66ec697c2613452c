// _Items: a collection over the folder with its own walk position.
#include <array>
#include <optional>

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
constexpr long kContactItemType = 2;  // olContactItem
constexpr std::array<Member, 4> kMembers{{
    {L"Count", kCount, MemberAccess::Read, OutlookCall::Count},
    {L"Add", kAdd, MemberAccess::Method, OutlookCall::Add},
    {L"GetFirst", kGetFirst, MemberAccess::Method, OutlookCall::GetFirst},
    {L"GetNext", kGetNext, MemberAccess::Method, OutlookCall::GetNext},
}};

IDispatchPtr NewItemObject(journal::StoredItem item) {
  return item.kind == journal::StoredKind::DistributionList ? NewDistListItem(std::move(item))
                                                            : NewContactItem(std::move(item));
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
    Arguments::ForCall(params, 0, 0);
    const auto lock = LockStandin();
    switch (member.id) {
      case kCount:
        ReturnLong(result, static_cast<long>(TheContactsFolder().Count(lock)));
        return;
      case kGetFirst:
        position_.reset();
        ReturnObject(result, Step(lock));
        return;
      case kGetNext:
        ReturnObject(result, Step(lock));
        return;
    }
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
  // (a null object), as Outlook answers.
  IDispatchPtr Step(const StandinLock& lock) {
    auto found = TheContactsFolder().ItemAfter(lock, position_);
    if (!found) return nullptr;
    position_ = found->first;
    return NewItemObject(std::move(found->second));
  }

  std::optional<ContactsFolder::Position> position_;
};

}  // namespace

IDispatchPtr NewItems() { return MakeObject<Items>(); }

}  // namespace outlook_standin
