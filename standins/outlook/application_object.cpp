// _Application: the way in, to the MAPI namespace; and CreateItem, which
// makes a new contact outside any collection.
#include <array>

#include "ascii_case.h"
#include "com_failure.h"
#include "dispatch_object.h"
#include "item_identity.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kGetNamespace = 1;
constexpr DISPID kCreateItem = 2;
constexpr long kContactItemType = 2;  // olContactItem
constexpr std::array<Member, 2> kMembers{{
    {L"GetNamespace", kGetNamespace, MemberAccess::Method, OutlookCall::GetNamespace},
    {L"CreateItem", kCreateItem, MemberAccess::Method, OutlookCall::CreateItem},
}};

class Application final : public DispatchObject {
 public:
  Application() : DispatchObject(kApplicationInterfaceId, kMembers) {}

 private:
  void Perform(const Member& member, Operation, const DISPPARAMS& params, VARIANT* result) override {
    if (member.id == kCreateItem) {
      CreateItem(Arguments::ForCall(params, 1, 1), result);
      return;
    }
    const std::wstring type = Arguments::ForCall(params, 1, 1).Text(0);
    if (!EqualsIgnoringAsciiCase(type, L"MAPI")) {
      throw ComFailure(E_INVALIDARG, L"The only namespace is \"MAPI\".");
    }
    ReturnObject(result, NewNameSpace());
  }

  // A new, unsaved contact; its Save puts it into the default Contacts
  // folder, as Outlook does with an item it creates outside a folder.
  static void CreateItem(const Arguments& arguments, VARIANT* result) {
    if (arguments.Long(0) != kContactItemType) {
      throw ComFailure(E_INVALIDARG, L"The stand-in creates contact items only (olContactItem, 2).");
    }
    journal::StoredItem unsaved;
    unsaved.lastModificationTime = CurrentDate();
    ReturnObject(result, NewContactItem(std::move(unsaved)));
  }
};

}  // namespace

IDispatchPtr NewApplication() { return MakeObject<Application>(); }

}  // namespace outlook_standin
