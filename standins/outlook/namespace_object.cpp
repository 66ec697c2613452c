// _NameSpace: the MAPI namespace, which leads to the default Contacts folder
// and, by EntryID, to any of its items.
#include <array>

#include "com_failure.h"
#include "contacts_folder.h"
#include "dispatch_object.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kGetDefaultFolder = 1;
constexpr DISPID kGetItemFromId = 2;
constexpr long kFolderContacts = 10;  // olFolderContacts
constexpr std::array<Member, 2> kMembers{{
    {L"GetDefaultFolder", kGetDefaultFolder, MemberAccess::Method, OutlookCall::GetDefaultFolder},
    {L"GetItemFromID", kGetItemFromId, MemberAccess::Method, OutlookCall::GetItemFromID},
}};

class NameSpace final : public DispatchObject {
 public:
  NameSpace() : DispatchObject(kNameSpaceInterfaceId, kMembers) {}

 private:
  void Perform(const Member& member, Operation, const DISPPARAMS& params, VARIANT* result) override {
    if (member.id == kGetItemFromId) {
      // The store's EntryID, when given, is not checked: there is one store.
      const std::wstring entryId = Arguments::ForCall(params, 1, 2).Text(0);
      journal::StoredItem item;
      {
        const auto lock = LockStandin();
        item = TheContactsFolder().ItemById(lock, entryId);
      }
      ReturnObject(result, NewItemObject(std::move(item)));
      return;
    }
    if (Arguments::ForCall(params, 1, 1).Long(0) != kFolderContacts) {
      throw ComFailure(E_INVALIDARG, L"The only default folder is the Contacts folder (10).");
    }
    ReturnObject(result, NewContactsFolderObject());
  }
};

}  // namespace

IDispatchPtr NewNameSpace() { return MakeObject<NameSpace>(); }

}  // namespace outlook_standin
