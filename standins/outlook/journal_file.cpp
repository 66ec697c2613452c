#include "journal_file.h"

#include <objbase.h>

#include <algorithm>
#include <cwctype>
#include <span>

#include "com_failure.h"

namespace outlook_standin {
namespace {

constexpr DWORD kChunkSize = 1u << 30;

[[noreturn]] void ThrowLastError(const std::wstring& what, const std::filesystem::path& file) {
  const DWORD error = GetLastError();
  throw ComFailure(HRESULT_FROM_WIN32(error), what + L" " + file.wstring());
}

std::wstring LockNameFor(const std::filesystem::path& file) {
  std::wstring key = std::filesystem::absolute(file).lexically_normal().wstring();
  std::transform(key.begin(), key.end(), key.begin(), [](wchar_t unit) { return std::towlower(unit); });
  std::uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
  for (wchar_t unit : key) hash = (hash ^ static_cast<std::uint16_t>(unit)) * 0x100000001B3ull;
  wchar_t name[64];
  swprintf(name, 64, L"Local\\OutlookStandinStore-%016llX", static_cast<unsigned long long>(hash));
  return name;
}

journal::Generation NewGeneration(std::optional<journal::Generation> previous) {
  for (;;) {
    GUID guid{};
    if (FAILED(CoCreateGuid(&guid))) throw ComFailure(E_FAIL, L"No random generation id");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&guid);
    journal::Generation generation = 0;
    for (int i = 0; i < 8; ++i) generation = (generation << 8) | (bytes[i] ^ bytes[i + 8]);
    if (generation != previous) return generation;
  }
}

OVERLAPPED AtOffset(std::uint64_t offset) {
  OVERLAPPED overlapped{};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

std::uint64_t FileSize(HANDLE file, const std::filesystem::path& path) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size)) ThrowLastError(L"Cannot size", path);
  return static_cast<std::uint64_t>(size.QuadPart);
}

std::vector<std::uint8_t> ReadAt(HANDLE file, std::uint64_t offset, std::uint64_t count,
                                 const std::filesystem::path& path) {
  std::vector<std::uint8_t> bytes(count);
  std::uint64_t done = 0;
  while (done < count) {
    auto overlapped = AtOffset(offset + done);
    const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(count - done, kChunkSize));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + done, wanted, &got, &overlapped)) ThrowLastError(L"Cannot read", path);
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

void WriteAt(HANDLE file, std::uint64_t offset, std::span<const std::uint8_t> bytes,
             const std::filesystem::path& path) {
  std::uint64_t done = 0;
  while (done < bytes.size()) {
    auto overlapped = AtOffset(offset + done);
    const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(bytes.size() - done, kChunkSize));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, wanted, &written, &overlapped) || written == 0) {
      ThrowLastError(L"Cannot write", path);
    }
    done += written;
  }
}

// Removes a temporary file on every path; after it was moved into place
// there is nothing left to remove.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::filesystem::path path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() { DeleteFileW(path_.c_str()); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

JournalFile::JournalFile(std::filesystem::path file) : file_(std::move(file)) {
  lock_ = UniqueHandle(CreateMutexW(nullptr, FALSE, LockNameFor(file_).c_str()));
  if (!lock_) ThrowLastError(L"Cannot create the lock of", file_);
}

JournalFile::Session::Session(JournalFile& journal, FolderState& folder) : journal_(journal) {
  // An abandoned lock means a writer died mid-entry; the journal's checksums
  // make its torn entry harmless, so the lock is simply taken over.
  const DWORD waited = WaitForSingleObject(journal_.lock_.Get(), INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) ThrowLastError(L"Cannot lock", journal_.file_);
  try {
    file_ = OpenStoreFile();
    CatchUp(folder);
  } catch (...) {
    file_.Close();
    ReleaseMutex(journal_.lock_.Get());
    throw;
  }
}

JournalFile::Session::~Session() {
  file_.Close();
  ReleaseMutex(journal_.lock_.Get());
}

UniqueHandle JournalFile::Session::OpenStoreFile() const {
  const auto open = [this] {
    return UniqueHandle(CreateFileW(journal_.file_.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  UniqueHandle file = open();
  if (!file && GetLastError() == ERROR_PATH_NOT_FOUND) {
    std::error_code ignored;  // a folder that cannot be made shows as the second open failing
    std::filesystem::create_directories(journal_.file_.parent_path(), ignored);
    file = open();
  }
  if (!file) ThrowLastError(L"Cannot open", journal_.file_);
  return file;
}

void JournalFile::Session::CatchUp(FolderState& folder) {
  const std::uint64_t size = FileSize(file_.Get(), journal_.file_);
  if (size == 0) {
    folder.Clear();
    Rewrite(folder);
    return;
  }
  const auto generation = journal::DecodeHeader(ReadAt(file_.Get(), 0, journal::kHeaderSize, journal_.file_));
  if (!generation) {
    throw ComFailure(HRESULT_FROM_WIN32(ERROR_FILE_INVALID),
                     L"Not an Outlook stand-in store: " + journal_.file_.wstring());
  }
  if (generation != journal_.generation_ || size < journal_.validEnd_) {
    folder.Clear();
    journal_.generation_ = generation;
    journal_.validEnd_ = journal::kHeaderSize;
  }
  if (size > journal_.validEnd_) {
    const auto bytes = ReadAt(file_.Get(), journal_.validEnd_, size - journal_.validEnd_, journal_.file_);
    const auto decoded = journal::DecodeEntries(bytes);
    for (const auto& entry : decoded.entries) folder.Apply(entry);
    journal_.validEnd_ += decoded.consumed;
  }
  journal_.fileEnd_ = size;
}

void JournalFile::Session::Append(const std::vector<std::uint8_t>& entry) {
  if (journal_.fileEnd_ != journal_.validEnd_) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(journal_.validEnd_);
    if (!SetFilePointerEx(file_.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.Get())) {
      ThrowLastError(L"Cannot cut the damaged tail of", journal_.file_);
    }
    journal_.fileEnd_ = journal_.validEnd_;
  }
  // Whatever part of the entry reached the file before a failure is a torn
  // tail: the next append cuts it off.
  journal_.fileEnd_ = journal_.validEnd_ + entry.size();
  WriteAt(file_.Get(), journal_.validEnd_, entry, journal_.file_);
  journal_.validEnd_ = journal_.fileEnd_;
}

void JournalFile::Session::Rewrite(const FolderState& folder) {
  const journal::Generation generation = NewGeneration(journal_.generation_);
  std::vector<std::uint8_t> bytes = journal::EncodeHeader(generation);
  bytes.reserve(folder.CompactJournalSize());
  for (auto item = folder.ItemAfter(std::nullopt); item; item = folder.ItemAfter(item->first)) {
    const auto entry = journal::EncodeUpsert(*item->second);
    bytes.insert(bytes.end(), entry.begin(), entry.end());
  }

  TemporaryFile temporary(std::filesystem::path(journal_.file_) += L".rewrite");
  {
    UniqueHandle written(CreateFileW(temporary.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written) ThrowLastError(L"Cannot create", temporary.Path());
    WriteAt(written.Get(), 0, bytes, temporary.Path());
    if (!FlushFileBuffers(written.Get())) ThrowLastError(L"Cannot flush", temporary.Path());
  }
  file_.Close();
  const bool moved = MoveFileExW(temporary.Path().c_str(), journal_.file_.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  const DWORD moveError = GetLastError();
  file_ = OpenStoreFile();
  if (!moved) {
    SetLastError(moveError);
    ThrowLastError(L"Cannot replace", journal_.file_);
  }
  journal_.generation_ = generation;
  journal_.validEnd_ = journal_.fileEnd_ = bytes.size();
}

}  // namespace outlook_standin
