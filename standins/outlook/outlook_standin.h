// Control surface of the Outlook stand-in, for tests and tools.
//
// The stand-in answers the Outlook application class and the five dual
// interfaces the contact core uses, through IDispatch by name, and keeps the
// default Contacts folder in a file. Everything here is process-wide: the
// folder, the call counters and the armed faults are shared by every stand-in
// object in the process, on every thread. It steers the stand-in served from
// this process, or, while a LocalServerControl lives, the local server
// (OutlookStandin.exe) that COM starts as Outlook.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace outlook_standin {

// The 25 writable string properties of a contact, in contact record order
// (FirstName ... BusinessTelephoneNumber). EntryID is kept apart.
inline constexpr std::size_t kWritablePropertyCount = 25;

// A property that was never set is std::nullopt and reads as a null BSTR;
// one set to "" is an empty string and reads as an empty BSTR.
using PropertyValue = std::optional<std::wstring>;

struct ContactData {
  std::array<PropertyValue, kWritablePropertyCount> properties;
  // Sets one property by its Outlook name; throws std::invalid_argument for
  // a name that is not one of the 25.
  ContactData& Set(std::wstring_view property, std::wstring value);
  const PropertyValue& Get(std::wstring_view property) const;
};

enum class ItemKind { Contact, DistributionList };

// One item of the folder, in folder order.
struct FolderItem {
  ItemKind kind = ItemKind::Contact;
  std::wstring entryId;            // assigned by the stand-in when empty at seeding
  double lastModificationTime = 0;  // DATE; assigned by the stand-in when 0 at seeding
  ContactData contact;              // unused for a distribution list
};

// Where the folder lives. Default: the file named by the environment variable
// OUTLOOK_STANDIN_STORE, else %LOCALAPPDATA%\OutlookStandin\contacts.olstore.
std::filesystem::path StoreFile();
void UseStoreFile(const std::filesystem::path& file);

// Replaces the folder's contents (and its file) with `items`, in this order.
void SeedFolder(const std::vector<FolderItem>& items);
// Empties the folder, clears the call counters and disarms every fault.
void ResetFolder();
// The folder as stored now, in folder order.
std::vector<FolderItem> FolderContents();
// Changes as another Outlook client makes them. StoreItem saves `item`: one
// with an empty EntryID joins the end of the folder, any other replaces the
// stored item of that EntryID in place; either way it gets a new
// modification time, and its EntryID is answered. DeleteItem removes an item.
// Both throw std::runtime_error when the store refuses, as for an EntryID the
// folder does not hold.
std::wstring StoreItem(const FolderItem& item);
void DeleteItem(const std::wstring& entryId);
// The made-up sample address book that the demo starts from.
std::vector<FolderItem> SampleAddressBook();

// Every kind of call a client can make into the stand-in.
enum class OutlookCall {
  CreateApplication,  // the class factory's CreateInstance
  GetIDsOfNames,      // one per name looked up
  GetNamespace,
  GetDefaultFolder,
  GetItemFromID,      // _NameSpace.GetItemFromID
  Items,              // MAPIFolder.Items
  Count,
  Add,
  GetFirst,
  GetNext,
  GetLast,
  Sort,
  PropertyGet,        // any property read: an item's (EntryID, LastModificationTime and Parent
                      // included) or the folder's EntryID
  PropertyPut,        // any contact property write
  Save,
  Delete,
  Item,           // Items.Item, by index
  NewEnum,        // Items._NewEnum, the start of a For Each
  CreateItem,     // Application.CreateItem
};
inline constexpr OutlookCall kLastOutlookCall = OutlookCall::CreateItem;

void ResetCallCounts();
long CallCount(OutlookCall call);
// Calls of `call` that named `member` (GetIDsOfNames: the name looked up;
// PropertyGet / PropertyPut: the property).
long CallCount(OutlookCall call, std::wstring_view member);

// A call that fails on purpose. Counting starts when the fault is armed: the
// `occurrence`-th matching call (1 = the next one) fails with `result`, and
// with `sticky` every matching call after it fails too. When `property` is not
// empty, only PropertyGet / PropertyPut calls for that property match. The
// failure is reported the way Outlook does, as DISP_E_EXCEPTION with the
// HRESULT in EXCEPINFO.scode, plus error information (ISupportErrorInfo and
// SetErrorInfo) describing it. With `asException` false, Invoke answers
// `result` itself. For CreateApplication the class factory answers `result`.
// With `endsProcess` the call does not fail but ends the whole process on the
// spot (exit code kEndedByFault), as a kill at that instant would: nothing
// after it runs, no destructor, no flush.
struct Fault {
  OutlookCall call;
  HRESULT result = E_FAIL;
  long occurrence = 1;
  std::wstring property{};
  bool sticky = false;
  bool asException = true;
  bool endsProcess = false;
};
inline constexpr UINT kEndedByFault = 0xDEAD;
void ArmFault(const Fault& fault);
void DisarmFaults();

// A client that promises to make its Outlook calls only while holding a lock
// of its own (a named mutex) can have that kept: from now on every call checks
// that the calling thread owns the named mutex `name` and counts the calls
// that do not; the local server, whose callers are other processes, checks
// that some thread owns it. An empty name stops the checking, and so does
// ResetFolder.
void WatchCallerLock(std::wstring name);
// Calls made without the watched lock since WatchCallerLock last started.
long CallsWithoutLock();

// Stand-in objects (application, namespace, folder, collections, items)
// alive in this process; a client that releases everything it got brings it
// back to where it was.
long LiveObjectCount();

// Outlook ends and starts again: every stand-in object handed out so far
// answers RPC_E_DISCONNECTED to every call from now on, as a proxy to the
// ended process does, while objects made afterwards work.
void RestartOutlook();

// While it lives, the control surface steers the local server instead: its
// store binding, call counters, faults, the watched lock, restarts and live
// objects. The folder itself
// is shared through the store file, which this process and the server both
// read and write. COM must be initialised on the thread; the functions above
// then work from any thread with COM initialised. A server that went away
// (killed, say) is replaced by a new one, bound to the same store file, on
// the next call.
class LocalServerControl {
 public:
  LocalServerControl();
  ~LocalServerControl();
  LocalServerControl(const LocalServerControl&) = delete;
  LocalServerControl& operator=(const LocalServerControl&) = delete;

  // The process id of the server, started when none runs.
  DWORD ServerProcessId();
  // Ends the server process at once, as a crash would, and waits until it
  // has gone. Every proxy into it is dead then; the next activation starts a
  // new server.
  void KillServer();
};

// Serves the application class from this process (CoRegisterClassObject) for
// as long as the object lives. COM must be initialised on the thread.
class InProcessServer {
 public:
  InProcessServer();
  ~InProcessServer();
  InProcessServer(const InProcessServer&) = delete;
  InProcessServer& operator=(const InProcessServer&) = delete;

 private:
  DWORD cookie_ = 0;
};

}  // namespace outlook_standin
