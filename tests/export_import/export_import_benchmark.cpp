// How long exports and imports of 1,000 and 10,000 contacts take against the
// in-process Outlook stand-in, with the Outlook calls and file operations
// each contact costs, next to the time the same number of bare stand-in
// calls and raw 3840-byte file transfers take on their own in the same run.
// The ratio of the two is the overhead of Quillmere's own code. Each figure
// is the median of five rounds, the ratio's lowest and highest beside it.
// Not a test.
//
//   QuillmereBenchmark.exe     (under Wine: tools/wine-run --prefix ... QuillmereBenchmark.exe)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "contact_file.h"
#include "contact_record.h"
#include "file_commands.h"
#include "outlook_contract.h"
#include "outlook_standin.h"
#include "quillmere_session.h"
#include "win32_file.h"

namespace {

using namespace quillmere;
using Clock = std::chrono::steady_clock;
using outlook_standin::OutlookCall;

constexpr std::size_t kRecordSize = contact_core::CONTACT_RECORD_SIZE;

// Counts every operation on the file it wraps.
class CountingFile final : public FileAccess {
 public:
  explicit CountingFile(FileAccess& file) : file_(file) {}
  long operations = 0;
  std::optional<std::uint64_t> Size() override { return ++operations, file_.Size(); }
  bool Seek(std::uint64_t offset) override { return ++operations, file_.Seek(offset); }
  std::size_t Read(std::span<std::byte> buffer) override { return ++operations, file_.Read(buffer); }
  bool Write(std::span<const std::byte> bytes) override { return ++operations, file_.Write(bytes); }
  bool Truncate(std::uint64_t size) override { return ++operations, file_.Truncate(size); }

 private:
  FileAccess& file_;
};

long OutlookCalls() {
  long calls = 0;
  for (int call = static_cast<int>(OutlookCall::CreateApplication);
       call <= static_cast<int>(outlook_standin::kLastOutlookCall); ++call) {
    calls += outlook_standin::CallCount(static_cast<OutlookCall>(call));
  }
  return calls;
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

std::vector<outlook_standin::FolderItem> Contacts(int count) {
  std::vector<outlook_standin::FolderItem> items(static_cast<std::size_t>(count));
  for (int index = 0; index < count; ++index) {
    for (std::size_t field = 1; field < contact_core::kContactFieldCount; ++field) {
      const std::string_view name = contact_core::kContactFields[field].name;
      items[static_cast<std::size_t>(index)].contact.Set(std::wstring(name.begin(), name.end()),
                                                         L"value " + std::to_wstring(index));
    }
  }
  return items;
}

// The Contacts folder's collection, reached through IDispatch by name.
IDispatch* Member(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* argument = nullptr) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  DISPPARAMS parameters{argument, nullptr, argument ? 1u : 0u, 0};
  VARIANT result;
  VariantInit(&result);
  object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters, &result, nullptr, nullptr);
  return result.vt == VT_DISPATCH ? result.pdispVal : nullptr;
}

IDispatch* ItemsCollection() {
  IDispatch* application = nullptr;
  CoCreateInstance(contact_core::outlook::CLSID_Application, nullptr, CLSCTX_ALL, IID_IDispatch,
                   reinterpret_cast<void**>(&application));
  VARIANT mapi;
  mapi.vt = VT_BSTR;
  mapi.bstrVal = SysAllocString(L"MAPI");
  IDispatch* name_space = Member(application, L"GetNamespace", DISPATCH_METHOD, &mapi);
  VariantClear(&mapi);
  VARIANT contacts;
  contacts.vt = VT_I4;
  contacts.lVal = contact_core::outlook::olFolderContacts;
  IDispatch* folder = Member(name_space, L"GetDefaultFolder", DISPATCH_METHOD, &contacts);
  IDispatch* items = Member(folder, L"Items", DISPATCH_PROPERTYGET);
  folder->Release();
  name_space->Release();
  application->Release();
  return items;
}

// `count` bare property reads, spread over the folder's contacts, with
// dispatch identifiers looked up once.
Clock::duration BarePropertyReads(long count) {
  IDispatch* items = ItemsCollection();
  const auto start = Clock::now();
  DISPID last_name = 0;
  for (IDispatch* contact = Member(items, L"GetFirst", DISPATCH_METHOD); contact != nullptr && count > 0;) {
    if (last_name == 0) {
      LPOLESTR names[] = {const_cast<LPOLESTR>(L"LastName")};
      contact->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &last_name);
    }
    for (int read = 0; read < 26 && count > 0; ++read, --count) {
      DISPPARAMS none{};
      VARIANT value;
      VariantInit(&value);
      contact->Invoke(last_name, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
      VariantClear(&value);
    }
    contact->Release();
    contact = count > 0 ? Member(items, L"GetNext", DISPATCH_METHOD) : nullptr;
  }
  const auto elapsed = Clock::now() - start;
  items->Release();
  return elapsed;
}

// `count` bare property writes on new contacts, each saved after 25.
Clock::duration BarePropertyWrites(long count) {
  IDispatch* items = ItemsCollection();
  const auto start = Clock::now();
  while (count > 0) {
    IDispatch* contact = Member(items, L"Add", DISPATCH_METHOD);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"LastName")};
    DISPID last_name = 0;
    contact->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &last_name);
    for (int write = 0; write < 25 && count > 0; ++write, --count) {
      VARIANT text;
      text.vt = VT_BSTR;
      text.bstrVal = SysAllocString(L"value");
      DISPID named = DISPID_PROPERTYPUT;
      DISPPARAMS parameters{&text, &named, 1, 1};
      contact->Invoke(last_name, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &parameters, nullptr, nullptr, nullptr);
      VariantClear(&text);
    }
    Member(contact, L"Save", DISPATCH_METHOD);
    contact->Release();
  }
  const auto elapsed = Clock::now() - start;
  items->Release();
  return elapsed;
}

// The file operations of an export of `count` contacts, done raw: each
// record written at its place, then the 8-byte header rewritten, as the
// contact file format asks after every record; then the records read back
// one by one, as an import reads them.
std::pair<Clock::duration, Clock::duration> RawTransfers(const std::wstring& path, int count) {
  std::vector<char> record(kRecordSize, 'x');
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  auto start = Clock::now();
  for (int index = 0; index < count; ++index) {
    LARGE_INTEGER place{};
    place.QuadPart = contact_file::kHeaderSize + static_cast<LONGLONG>(index) * kRecordSize;
    SetFilePointerEx(file, place, nullptr, FILE_BEGIN);
    WriteFile(file, record.data(), kRecordSize, &done, nullptr);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    WriteFile(file, record.data(), contact_file::kHeaderSize, &done, nullptr);
  }
  const auto writes = Clock::now() - start;
  SetFilePointer(file, contact_file::kHeaderSize, nullptr, FILE_BEGIN);
  start = Clock::now();
  for (int index = 0; index < count; ++index) ReadFile(file, record.data(), kRecordSize, &done, nullptr);
  const auto reads = Clock::now() - start;
  CloseHandle(file);
  DeleteFileW(path.c_str());
  return {writes, reads};
}

struct Run {
  Clock::duration time{};
  long outlookCalls = 0;
  long fileOperations = 0;
};

// Runs `command` on a fresh session and the file, counting what it costs.
template <class Command>
Run Measured(std::unique_ptr<Win32File> file, const char* what, Command command) {
  CountingFile counting(*file);
  QuillmereSession session;
  outlook_standin::ResetCallCounts();
  const auto start = Clock::now();
  if (!command(session, counting)) std::printf("%s failed\n", what);
  return {Clock::now() - start, OutlookCalls(), counting.operations};
}

// One round: our command and, right after it, the bare work it stands for.
struct Round {
  Run ours;
  Clock::duration bare{};
};

// The shared machine's speed drifts, so each command is measured in several
// rounds, each next to its bare work, and the medians are printed: of the
// times, and of the ratios round by round.
constexpr int kRounds = 5;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void Report(const char* what, int contacts, const std::vector<Round>& rounds) {
  std::vector<double> ours, bare, ratios;
  for (const Round& round : rounds) {
    ours.push_back(Seconds(round.ours.time));
    bare.push_back(Seconds(round.bare));
    ratios.push_back(ours.back() / bare.back());
  }
  const auto [lowest, highest] = std::minmax_element(ratios.begin(), ratios.end());
  std::printf("%-7s %6d contacts  %7.3f s  %5.1f Outlook calls/contact  %4.1f file ops/contact  "
              "bare calls + raw I/O %7.3f s  ratio %.2f (%.2f-%.2f)\n",
              what, contacts, Median(ours), double(rounds.front().ours.outlookCalls) / contacts,
              double(rounds.front().ours.fileOperations) / contacts, Median(bare), Median(ratios), *lowest, *highest);
  std::fflush(stdout);
}

void Measure(int contacts, const std::filesystem::path& folder) {
  const std::wstring path = (folder / (L"bench-" + std::to_wstring(contacts) + L".fs")).wstring();
  std::vector<Round> exports, imports;
  for (int round = 0; round < kRounds; ++round) {
    outlook_standin::SeedFolder(Contacts(contacts));
    DeleteFileW(path.c_str());
    const Run exported = Measured(Win32File::OpenForExport(path), "export", [](QuillmereSession& session, FileAccess& file) {
      return ExportContacts(session, file, [](std::wstring_view) { return true; });
    });
    const long export_reads = outlook_standin::CallCount(OutlookCall::PropertyGet);
    const auto [raw_writes, raw_reads] = RawTransfers(path + L".raw", contacts);
    exports.push_back({exported, BarePropertyReads(export_reads) + raw_writes});

    // The bare writes first, from the same empty folder the import starts from.
    outlook_standin::SeedFolder({});
    const auto bare_writes = BarePropertyWrites(25L * contacts);
    outlook_standin::SeedFolder({});
    const Run imported = Measured(Win32File::OpenForImport(path), "import", [](QuillmereSession& session, FileAccess& file) {
      return session.ImportContactFile(file);
    });
    imports.push_back({imported, bare_writes + raw_reads});
  }
  Report("export", contacts, exports);
  Report("import", contacts, imports);
  DeleteFileW(path.c_str());
}

}  // namespace

int wmain() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder(temp);
  outlook_standin::UseStoreFile(folder / L"quillmere-benchmark.olstore");
  {
    const outlook_standin::InProcessServer server;
    for (const int contacts : {1000, 10000}) Measure(contacts, folder);
  }
  outlook_standin::SeedFolder({});
  CoUninitialize();
  return 0;
}
