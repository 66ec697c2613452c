// _ContactItem: one contact, saved or not. The object works on its own copy
// of the contact; Save stores the copy, Delete removes the contact, after
// which the object refuses every call.
#include <array>

#include "com_failure.h"
#include "contact_properties.h"
#include "contacts_folder.h"
#include "dispatch_object.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kEntryId = 1;
constexpr DISPID kFirstWritable = 2;
constexpr DISPID kLastModificationTime = kFirstWritable + static_cast<DISPID>(kWritablePropertyNames.size());
constexpr DISPID kSave = kLastModificationTime + 1;
constexpr DISPID kDelete = kSave + 1;
constexpr DISPID kParent = kDelete + 1;
constexpr DISPID kClass = kParent + 1;
constexpr long kContactClass = 40;  // olContact

constexpr auto kMembers = [] {
  std::array<Member, kWritablePropertyNames.size() + 6> members{};
  members[0] = {kEntryIdName, kEntryId, MemberAccess::Read, OutlookCall::PropertyGet};
  for (std::size_t i = 0; i < kWritablePropertyNames.size(); ++i) {
    members[i + 1] = {kWritablePropertyNames[i], kFirstWritable + static_cast<DISPID>(i), MemberAccess::ReadWrite,
                      OutlookCall::PropertyGet};
  }
  members[members.size() - 5] = {L"LastModificationTime", kLastModificationTime, MemberAccess::Read,
                                 OutlookCall::PropertyGet};
  members[members.size() - 4] = {L"Save", kSave, MemberAccess::Method, OutlookCall::Save};
  members[members.size() - 3] = {L"Delete", kDelete, MemberAccess::Method, OutlookCall::Delete};
  members[members.size() - 2] = {L"Parent", kParent, MemberAccess::Read, OutlookCall::PropertyGet};
  members[members.size() - 1] = {L"Class", kClass, MemberAccess::Read, OutlookCall::PropertyGet};
  return members;
}();

class ContactItem final : public DispatchObject {
 public:
  explicit ContactItem(journal::StoredItem item)
      : DispatchObject(kContactItemInterfaceId, kMembers), item_(std::move(item)) {}

 private:
  void Perform(const Member& member, Operation operation, const DISPPARAMS& params, VARIANT* result) override {
    const auto arguments =
        operation == Operation::Put ? Arguments::ForPut(params) : Arguments::ForCall(params, 0, 0);
    const auto lock = LockStandin();
    if (deleted_) throw ComFailure(kObjectDeleted, L"The item has been moved or deleted.");
    switch (member.id) {
      case kEntryId:
        // An unsaved item has no EntryID yet: Outlook reads it as empty text.
        ReturnText(result, item_.entryId);
        return;
      case kLastModificationTime:
        ReturnDate(result, item_.lastModificationTime);
        return;
      case kParent:
        // Every item lives in the one Contacts folder.
        ReturnObject(result, NewContactsFolderObject());
        return;
      case kClass:
        ReturnLong(result, kContactClass);
        return;
      case kSave:
        TheContactsFolder().Save(lock, item_);
        return;
      case kDelete:
        if (!item_.entryId.empty()) TheContactsFolder().Delete(lock, item_.entryId);
        deleted_ = true;
        return;
      default: {
        auto& property = item_.properties[static_cast<std::size_t>(member.id - kFirstWritable)];
        if (operation == Operation::Put) {
          property = arguments.Text(0);
        } else {
          ReturnText(result, property);
        }
      }
    }
  }

  journal::StoredItem item_;
  bool deleted_ = false;
};

}  // namespace

IDispatchPtr NewContactItem(journal::StoredItem item) { return MakeObject<ContactItem>(std::move(item)); }

}  // namespace outlook_standin
