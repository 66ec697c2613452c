// Failures that the stand-in's objects report to their COM callers.
#pragma once

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <utility>

namespace outlook_standin {

// MAPI's codes for an item that is gone or was never there, as Outlook reports them.
inline constexpr HRESULT kObjectDeleted = static_cast<HRESULT>(0x8004010A);  // MAPI_E_OBJECT_DELETED
inline constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);       // MAPI_E_NOT_FOUND
inline constexpr HRESULT kInvalidEntryId = static_cast<HRESULT>(0x80040107);  // MAPI_E_INVALID_ENTRYID

// An Outlook-level failure: Invoke reports it as DISP_E_EXCEPTION with the
// HRESULT in EXCEPINFO.scode and as thread error information; with
// `asException` false, Invoke answers the HRESULT itself.
class ComFailure : public std::exception {
 public:
  ComFailure(HRESULT result, std::wstring description, bool asException = true)
      : result_(result), description_(std::move(description)), asException_(asException) {
    std::snprintf(what_, sizeof what_, "Outlook stand-in failure 0x%08lX",
                  static_cast<unsigned long>(result));
  }
  HRESULT Result() const noexcept { return result_; }
  const std::wstring& Description() const noexcept { return description_; }
  bool AsException() const noexcept { return asException_; }
  const char* what() const noexcept override { return what_; }

 private:
  HRESULT result_;
  std::wstring description_;
  bool asException_;
  char what_[48];
};

// A call that IDispatch refuses before it reaches the member (wrong number or
// type of arguments); Invoke answers the HRESULT itself.
struct DispatchRefusal {
  HRESULT result;
  UINT argumentIndex = 0;
};

}  // namespace outlook_standin
