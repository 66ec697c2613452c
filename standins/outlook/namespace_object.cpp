// _NameSpace: the MAPI namespace, which leads to the default Contacts folder.
#include <array>

#include "com_failure.h"
#include "dispatch_object.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kGetDefaultFolder = 1;
constexpr long kFolderContacts = 10;  // olFolderContacts
constexpr std::array<Member, 1> kMembers{{
    {L"GetDefaultFolder", kGetDefaultFolder, MemberAccess::Method, OutlookCall::GetDefaultFolder},
}};

class NameSpace final : public DispatchObject {
 public:
  NameSpace() : DispatchObject(kNameSpaceInterfaceId, kMembers) {}

 private:
  void Perform(const Member&, Operation, const DISPPARAMS& params, VARIANT* result) override {
    if (Arguments::ForCall(params, 1, 1).Long(0) != kFolderContacts) {
      throw ComFailure(E_INVALIDARG, L"The only default folder is the Contacts folder (10).");
    }
    ReturnObject(result, NewContactsFolderObject());
  }
};

}  // namespace

IDispatchPtr NewNameSpace() { return MakeObject<NameSpace>(); }

}  // namespace outlook_standin
