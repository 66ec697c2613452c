// The store file on disk, shared between processes. Two JournalFile objects
// on one path behave as two processes do: each keeps its own read position.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "com_failure.h"
#include "journal_file.h"
#include "standin_fixture.h"

namespace outlook_standin {
namespace {

using journal::StoredItem;
using testing::FreshStoreFile;

StoredItem Contact(std::wstring entryId, std::wstring firstName) {
  StoredItem item;
  item.entryId = std::move(entryId);
  item.lastModificationTime = 45000;
  item.properties[0] = std::move(firstName);
  return item;
}

// One "process": its journal and the folder it keeps in memory.
struct Process {
  explicit Process(const std::filesystem::path& file) : journal(file) {}
  void Save(const StoredItem& item) {
    JournalFile::Session session(journal, folder);
    session.Append(journal::EncodeUpsert(item));
    folder.Put(item);
  }
  void Delete(const std::wstring& entryId) {
    JournalFile::Session session(journal, folder);
    session.Append(journal::EncodeDelete(entryId));
    folder.Remove(entryId);
  }
  void Compact() {
    JournalFile::Session session(journal, folder);
    session.Rewrite(folder);
  }
  std::vector<StoredItem> Read() {
    JournalFile::Session session(journal, folder);
    return folder.Items();
  }

  JournalFile journal;
  FolderState folder;
};

std::vector<std::wstring> EntryIds(const std::vector<StoredItem>& items) {
  std::vector<std::wstring> ids;
  for (const auto& item : items) ids.push_back(item.entryId);
  return ids;
}

std::uintmax_t SizeOf(const std::filesystem::path& file) { return std::filesystem::file_size(file); }

void AppendBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class JournalFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string("journal-") + test->name();
    file_ = FreshStoreFile(std::wstring(name.begin(), name.end()));
  }
  void TearDown() override { std::filesystem::remove(file_); }
  std::filesystem::path file_;
};

TEST_F(JournalFileTest, MissingFileBecomesAnEmptyStore) {
  Process process(file_);
  EXPECT_TRUE(process.Read().empty());
  EXPECT_EQ(SizeOf(file_), journal::kHeaderSize);
}

TEST_F(JournalFileTest, TwoProcessesSeeEachOthersSavesAndDeletes) {
  Process first(file_);
  Process second(file_);
  first.Save(Contact(L"A", L"from first"));
  second.Save(Contact(L"B", L"from second"));
  first.Save(Contact(L"A", L"changed by first"));
  second.Delete(L"A");
  second.Save(Contact(L"C", L"also second"));

  const auto seenByFirst = first.Read();
  EXPECT_EQ(EntryIds(seenByFirst), (std::vector<std::wstring>{L"B", L"C"}));
  EXPECT_EQ(seenByFirst, second.Read());
}

TEST_F(JournalFileTest, RewriteByAnotherProcessIsReadAgainFromTheStart) {
  Process first(file_);
  Process second(file_);
  first.Save(Contact(L"A", L"a"));
  first.Save(Contact(L"B", L"b"));
  ASSERT_EQ(second.Read().size(), 2u);

  first.Delete(L"A");
  first.Compact();  // smaller file, new generation

  EXPECT_EQ(EntryIds(second.Read()), std::vector<std::wstring>{L"B"});
  EXPECT_EQ(SizeOf(file_), first.folder.CompactJournalSize());
}

TEST_F(JournalFileTest, TornTailIsIgnoredThenCutOffByTheNextAppend) {
  Process writer(file_);
  writer.Save(Contact(L"A", L"a"));
  const auto torn = journal::EncodeUpsert(Contact(L"T", L"torn"));
  AppendBytes(file_, std::vector<std::uint8_t>(torn.begin(), torn.end() - 3));

  Process reader(file_);
  EXPECT_EQ(EntryIds(reader.Read()), std::vector<std::wstring>{L"A"});

  reader.Save(Contact(L"B", L"b"));

  EXPECT_EQ(EntryIds(Process(file_).Read()), (std::vector<std::wstring>{L"A", L"B"}));
  EXPECT_EQ(EntryIds(writer.Read()), (std::vector<std::wstring>{L"A", L"B"}));
}

TEST_F(JournalFileTest, FileThatIsNotAStoreIsRefused) {
  std::ofstream(file_, std::ios::binary) << "This is somebody's text file, long enough for a header.";
  Process process(file_);
  try {
    process.Read();
    FAIL() << "a foreign file was read as a store";
  } catch (const ComFailure& failure) {
    EXPECT_EQ(failure.Result(), HRESULT_FROM_WIN32(ERROR_FILE_INVALID));
  }
  EXPECT_EQ(SizeOf(file_), 55u) << "the foreign file must stay untouched";
}

}  // namespace
}  // namespace outlook_standin
