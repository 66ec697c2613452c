// _Application: the way in, to the MAPI namespace.
#include <array>

#include "ascii_case.h"
#include "com_failure.h"
#include "dispatch_object.h"
#include "outlook_ids.h"
#include "outlook_objects.h"

namespace outlook_standin {
namespace {

constexpr DISPID kGetNamespace = 1;
constexpr std::array<Member, 1> kMembers{{
    {L"GetNamespace", kGetNamespace, MemberAccess::Method, OutlookCall::GetNamespace},
}};

class Application final : public DispatchObject {
 public:
  Application() : DispatchObject(kApplicationInterfaceId, kMembers) {}

 private:
  void Perform(const Member&, Operation, const DISPPARAMS& params, VARIANT* result) override {
    const std::wstring type = Arguments::ForCall(params, 1, 1).Text(0);
    if (!EqualsIgnoringAsciiCase(type, L"MAPI")) {
      throw ComFailure(E_INVALIDARG, L"The only namespace is \"MAPI\".");
    }
    ReturnObject(result, NewNameSpace());
  }
};

}  // namespace

IDispatchPtr NewApplication() { return MakeObject<Application>(); }

}  // namespace outlook_standin
