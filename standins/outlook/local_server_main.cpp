// OutlookStandin.exe: the Outlook stand-in as a local server, as Outlook
// itself runs. COM starts it with /Embedding; /RegServer and /UnregServer
// write and remove its registration.
#include <windows.h>
#include <objbase.h>

#include "com_pointers.h"

#include <string>
#include <string_view>

#include "ascii_case.h"
#include "local_server.h"
#include "module_path.h"
#include "registration.h"

namespace {

// The command line's one switch, without its leading '/' or '-'; empty for none.
std::wstring SwitchOf(const wchar_t* commandLine) {
  std::wstring_view text = commandLine;
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  if (!text.empty() && (text.front() == L'/' || text.front() == L'-')) text.remove_prefix(1);
  return std::wstring(text);
}

// Exit codes: 0 success, 1 failure, 2 a switch it does not know.
int Serve() {
  try {
    outlook_standin::LocalServer server;
    server.Run();
    return 0;
  } catch (const _com_error&) {
    return 1;
  }
}

class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool Ready() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  const ComApartment apartment;
  if (!apartment.Ready()) return 1;
  const std::wstring option = SwitchOf(commandLine ? commandLine : L"");
  using outlook_standin::EqualsIgnoringAsciiCase;
  if (EqualsIgnoringAsciiCase(option, L"RegServer")) {
    const std::wstring path = outlook_standin::ModulePath(nullptr);
    return !path.empty() && SUCCEEDED(outlook_standin::RegisterLocalServer(path)) ? 0 : 1;
  }
  if (EqualsIgnoringAsciiCase(option, L"UnregServer")) {
    return SUCCEEDED(outlook_standin::UnregisterLocalServer()) ? 0 : 1;
  }
  if (option.empty() || EqualsIgnoringAsciiCase(option, L"Embedding")) return Serve();
  return 2;
}
