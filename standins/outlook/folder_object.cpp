// MAPIFolder: the default Contacts folder, whose Items is a new collection
// on every call.
#include <array>

#include "contacts_folder.h"
#include "dispatch_object.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kItems = 1;
constexpr std::array<Member, 1> kMembers{{
    {L"Items", kItems, MemberAccess::Read, OutlookCall::Items},
}};

class ContactsFolderObject final : public DispatchObject {
 public:
  ContactsFolderObject() : DispatchObject(kFolderInterfaceId, kMembers) {}

 private:
  void Perform(const Member&, Operation, const DISPPARAMS& params, VARIANT* result) override {
    Arguments::ForCall(params, 0, 0);
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
