#include "remote_control.h"

#include <vector>

#include "outlook_ids.h"

namespace outlook_standin {
namespace {

HRESULT Invoke(IDispatch* control, const wchar_t* name, std::initializer_list<_variant_t> arguments,
               _variant_t& result) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  const HRESULT found = control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(found)) return found;
  // DISPPARAMS holds the arguments last first.
  std::vector<VARIANTARG> reversed(arguments.size());
  std::size_t slot = arguments.size();
  for (const auto& argument : arguments) reversed[--slot] = argument;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  EXCEPINFO exception{};
  const HRESULT invoked = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                          &params, &result, &exception, nullptr);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  return invoked == DISP_E_EXCEPTION ? exception.scode : invoked;
}

}  // namespace

RemoteControl::RemoteControl() {
  try {
    Control(true);
  } catch (const _com_error&) {
    // A server that was just ending (its last client gone) or killed cannot
    // take the connection; the next attempt starts a new one.
    Sleep(500);
    Control(true);
  }
}

IDispatchPtr RemoteControl::Control(bool replaceKept) {
  const bool owner = GetCurrentThreadId() == ownerThread_;
  const std::scoped_lock lock(mutex_);
  if (owner && kept_ && !replaceKept) return kept_;
  IDispatchPtr control;
  CheckResult(CoCreateInstance(kControlClassId, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&control)));
  _variant_t server;
  CheckResult(Invoke(control, L"ProcessId", {}, server));
  if (static_cast<DWORD>(static_cast<long>(server)) != boundServer_ && storeFile_) {
    _variant_t ignored;
    CheckResult(Invoke(control, L"UseStoreFile", {_variant_t(storeFile_->c_str())}, ignored));
  }
  boundServer_ = static_cast<DWORD>(static_cast<long>(server));
  if (owner) kept_ = control;
  return control;
}

_variant_t RemoteControl::Call(const wchar_t* name, std::initializer_list<_variant_t> arguments) {
  _variant_t result;
  HRESULT outcome = E_FAIL;
  try {
    outcome = Invoke(Control(false), name, arguments, result);
  } catch (const _com_error& error) {
    outcome = error.Error();
  }
  if (SUCCEEDED(outcome)) return result;
  result.Clear();
  CheckResult(Invoke(Control(true), name, arguments, result));
  return result;
}

void RemoteControl::UseStoreFile(const std::filesystem::path& file) {
  {
    const std::scoped_lock lock(mutex_);
    storeFile_ = file;
  }
  Call(L"UseStoreFile", {_variant_t(file.c_str())});
}

void RemoteControl::ResetCallCounts() { Call(L"ResetCallCounts", {}); }

long RemoteControl::CallCount(OutlookCall call, const std::optional<std::wstring>& member) {
  const _variant_t kind(static_cast<long>(call));
  const _variant_t count = member ? Call(L"CallCount", {kind, _variant_t(member->c_str())})
                                  : Call(L"CallCount", {kind});
  return static_cast<long>(count);
}

void RemoteControl::ArmFault(const Fault& fault) {
  Call(L"ArmFault", {_variant_t(static_cast<long>(fault.call)), _variant_t(static_cast<long>(fault.result)),
                     _variant_t(fault.occurrence), _variant_t(fault.property.c_str()),
                     _variant_t(fault.sticky ? 1L : 0L), _variant_t(fault.asException ? 1L : 0L),
                     _variant_t(fault.endsProcess ? 1L : 0L)});
}

void RemoteControl::DisarmFaults() { Call(L"DisarmFaults", {}); }

long RemoteControl::LiveObjectCount() { return static_cast<long>(Call(L"LiveObjectCount", {})); }

void RemoteControl::WatchCallerLock(const std::wstring& name) { Call(L"WatchCallerLock", {_variant_t(name.c_str())}); }

long RemoteControl::CallsWithoutLock() { return static_cast<long>(Call(L"CallsWithoutLock", {})); }

void RemoteControl::RestartOutlook() { Call(L"RestartOutlook", {}); }

DWORD RemoteControl::ProcessId() { return static_cast<DWORD>(static_cast<long>(Call(L"ProcessId", {}))); }

}  // namespace outlook_standin
