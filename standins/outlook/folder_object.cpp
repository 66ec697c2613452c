// MAPIFolder: the default Contacts folder, whose Items is a new collection
// on every call, and its EntryID.
#include <array>
#include <string>

#include "contacts_folder.h"
#include "dispatch_object.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kItems = 1;
constexpr DISPID kEntryId = 2;
constexpr std::array<Member, 2> kMembers{{
    {L"Items", kItems, MemberAccess::Read, OutlookCall::Items},
    {L"EntryID", kEntryId, MemberAccess::Read, OutlookCall::PropertyGet},
}};

class ContactsFolderObject final : public DispatchObject {
 public:
  ContactsFolderObject() : DispatchObject(kFolderInterfaceId, kMembers) {}

 private:
  void Perform(const Member& member, Operation, const DISPPARAMS& params, VARIANT* result) override {
    Arguments::ForCall(params, 0, 0);
    if (member.id == kEntryId) {
      ReturnText(result, std::wstring(kContactsFolderEntryId));
      return;
    }
    {
      const auto lock = LockStandin();
      TheContactsFolder().Refresh(lock);
    }
    ReturnObject(result, NewItems());
  }
};

}  // namespace

IDispatchPtr NewContactsFolderObject() { return MakeObject<ContactsFolderObject>(); }

}  // namespace outlook_standin
