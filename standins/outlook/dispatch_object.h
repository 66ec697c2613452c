// The IDispatch machinery shared by every stand-in object: reference
// counting, look-up of members by name, Invoke with counting and armed
// faults, and Outlook-style error reporting (DISP_E_EXCEPTION, EXCEPINFO and
// thread error information).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "com_pointers.h"

#include <span>
#include <string_view>
#include <utility>

#include "dispatch_arguments.h"
#include "outlook_standin.h"

namespace outlook_standin {

enum class MemberAccess { Method, Read, ReadWrite };
// Outlook's objects are counted and can be made to fail; the private control
// object that steers the stand-in from another process is neither.
enum class Monitoring { Outlook, Private };
enum class Operation { Call, Get, Put };

struct Member {
  std::wstring_view name;
  DISPID id;
  MemberAccess access;
  // The call counted for a method or a read; every write counts as PropertyPut.
  OutlookCall call;
};

class DispatchObject : public IDispatch, public ISupportErrorInfo {
 public:
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interfaceId, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID interfaceId, LPOLESTR* names, UINT nameCount, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID interfaceId, LCID locale, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;
  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID interfaceId) override;

 protected:
  DispatchObject(const IID& interfaceId, std::span<const Member> members,
                 Monitoring monitoring = Monitoring::Outlook);
  virtual ~DispatchObject();

  // Performs a call that passed look-up, counting and the armed faults.
  // Throws ComFailure, DispatchRefusal or std::bad_alloc to fail it.
  virtual void Perform(const Member& member, Operation operation, const DISPPARAMS& params,
                       VARIANT* result) = 0;

 private:
  const Member* FindMember(DISPID id) const;
  HRESULT Report(HRESULT result, const wchar_t* description, bool asException, EXCEPINFO* exception) const;

  // Disconnected once Outlook restarts after the object was made.
  bool Disconnected() const;

  void Observe(OutlookCall call, std::wstring_view member) const;

  volatile LONG references_ = 1;
  const LONG generation_;
  const IID& interfaceId_;
  std::span<const Member> members_;
  const Monitoring monitoring_;
};

// Makes a new object with the one reference its creator takes over.
template <class Object, class... Arguments>
IDispatchPtr MakeObject(Arguments&&... arguments) {
  return IDispatchPtr(static_cast<IDispatch*>(new Object(std::forward<Arguments>(arguments)...)), false);
}

// Outlook objects alive in this process.
long LiveDispatchObjects();
// Counts an Outlook object that is no DispatchObject (an enumerator) among
// the live ones for as long as it lives.
class LiveOutlookObject {
 public:
  LiveOutlookObject();
  ~LiveOutlookObject();
  LiveOutlookObject(const LiveOutlookObject&) = delete;
  LiveOutlookObject& operator=(const LiveOutlookObject&) = delete;
};
// Private objects alive in this process.
long LivePrivateObjects();

// Every object made before this answers RPC_E_DISCONNECTED from now on.
void DisconnectEveryObject();

}  // namespace outlook_standin
