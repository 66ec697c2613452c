#include "served_standin.h"

#include <windows.h>

#include <string>

namespace test_support {

bool LocalServerChosen() {
  wchar_t value[16] = {};
  const DWORD length = GetEnvironmentVariableW(L"QM_OUTLOOK_SERVER", value, 16);
  return length > 0 && length < 16 && std::wstring(value) == L"local";
}

ServedStandin::ServedStandin() {
  if (LocalServerChosen()) {
    localServer_.emplace();
  } else {
    inProcess_.emplace();
  }
}

}  // namespace test_support
