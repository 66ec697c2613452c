// _DistListItem: a distribution list in the contacts folder. It is not a
// contact: a QueryInterface for _ContactItem answers E_NOINTERFACE.
#include <array>

#include "contact_properties.h"
#include "dispatch_object.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kEntryId = 1;
constexpr DISPID kLastModificationTime = 2;
constexpr DISPID kParent = 3;
constexpr DISPID kClass = 4;
constexpr long kDistributionListClass = 69;  // olDistributionList
constexpr std::array<Member, 4> kMembers{{
    {kEntryIdName, kEntryId, MemberAccess::Read, OutlookCall::PropertyGet},
    {L"LastModificationTime", kLastModificationTime, MemberAccess::Read, OutlookCall::PropertyGet},
    {L"Parent", kParent, MemberAccess::Read, OutlookCall::PropertyGet},
    {L"Class", kClass, MemberAccess::Read, OutlookCall::PropertyGet},
}};

class DistListItem final : public DispatchObject {
 public:
  explicit DistListItem(journal::StoredItem item)
      : DispatchObject(kDistListItemInterfaceId, kMembers), item_(std::move(item)) {}

 private:
  void Perform(const Member& member, Operation, const DISPPARAMS& params, VARIANT* result) override {
    Arguments::ForCall(params, 0, 0);
    switch (member.id) {
      case kEntryId:
        ReturnText(result, item_.entryId);
        return;
      case kLastModificationTime:
        ReturnDate(result, item_.lastModificationTime);
        return;
      case kClass:
        ReturnLong(result, kDistributionListClass);
        return;
      default:
        ReturnObject(result, NewContactsFolderObject());
    }
  }

  // Never changes after construction, so it needs no lock.
  const journal::StoredItem item_;
};

}  // namespace

IDispatchPtr NewDistListItem(journal::StoredItem item) { return MakeObject<DistListItem>(std::move(item)); }

}  // namespace outlook_standin
