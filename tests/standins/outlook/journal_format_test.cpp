// The store file's byte format and the folder it describes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "folder_state.h"
#include "journal_format.h"

namespace outlook_standin::journal {
namespace {

using namespace std::string_literals;

StoredItem Contact(std::wstring entryId, double time, std::wstring firstName) {
  StoredItem item;
  item.entryId = std::move(entryId);
  item.lastModificationTime = time;
  item.properties[0] = std::move(firstName);
  return item;
}

// Every awkward value the format must carry unchanged.
StoredItem AwkwardItem() {
  StoredItem item = Contact(L"0000000012AB", 45000.123456789, L"zero\0inside"s);
  item.properties[1] = L"";                            // set to empty: not the same as never set
  item.properties[2] = L"\xD842\xDFB7\x91CE";          // surrogate pair, then a BMP character
  item.properties[3] = L"\xDC00 lone low surrogate"s;  // not valid UTF-16, still a code unit
  item.properties[4] = std::wstring(300, L'\xFFFF');
  item.properties[24] = L"\0"s;
  return item;
}

std::vector<std::uint8_t> Concatenate(const std::vector<std::vector<std::uint8_t>>& parts) {
  std::vector<std::uint8_t> bytes;
  for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

TEST(JournalFormat, EntriesRoundTripEveryCodeUnitAndAbsentValues) {
  StoredItem list = Contact(L"DL1", 45001, L"");
  list.kind = StoredKind::DistributionList;
  const auto bytes = Concatenate({EncodeUpsert(AwkwardItem()), EncodeDelete(L"gone\0id"s), EncodeUpsert(list)});

  const auto decoded = DecodeEntries(bytes);

  EXPECT_EQ(decoded.tail, Tail::Clean);
  EXPECT_EQ(decoded.consumed, bytes.size());
  ASSERT_EQ(decoded.entries.size(), 3u);
  const auto& first = std::get<Upsert>(decoded.entries[0]).item;
  EXPECT_EQ(first, AwkwardItem());
  EXPECT_FALSE(first.properties[5].has_value());
  EXPECT_EQ(first.properties[1], std::wstring());
  EXPECT_EQ(std::get<Delete>(decoded.entries[1]).entryId, L"gone\0id"s);
  EXPECT_EQ(std::get<Upsert>(decoded.entries[2]).item, list);
}

TEST(JournalFormat, EncodedUpsertSizeIsTheEncodedLength) {
  EXPECT_EQ(EncodedUpsertSize(AwkwardItem()), EncodeUpsert(AwkwardItem()).size());
  EXPECT_EQ(EncodedUpsertSize(StoredItem{}), EncodeUpsert(StoredItem{}).size());
}

TEST(JournalFormat, HeaderCarriesTheGenerationAndRejectsDamage) {
  const auto header = EncodeHeader(0x0123456789ABCDEFull);
  ASSERT_EQ(header.size(), kHeaderSize);
  EXPECT_EQ(DecodeHeader(header), 0x0123456789ABCDEFull);

  EXPECT_FALSE(DecodeHeader(std::span(header).first(kHeaderSize - 1)));
  for (std::size_t position = 0; position < header.size(); ++position) {
    auto damaged = header;
    damaged[position] ^= 0x01;
    EXPECT_FALSE(DecodeHeader(damaged)) << "byte " << position;
  }
}

TEST(JournalFormat, TornTailIsIgnoredWhereverTheWriteStopped) {
  const auto complete = Concatenate({EncodeUpsert(Contact(L"A", 1, L"first")), EncodeDelete(L"B")});
  const auto last = EncodeUpsert(AwkwardItem());
  for (std::size_t kept = 1; kept < last.size(); ++kept) {
    auto bytes = complete;
    bytes.insert(bytes.end(), last.begin(), last.begin() + static_cast<std::ptrdiff_t>(kept));

    const auto decoded = DecodeEntries(bytes);

    ASSERT_EQ(decoded.tail, Tail::Torn) << kept << " bytes of the last entry";
    ASSERT_EQ(decoded.entries.size(), 2u);
    ASSERT_EQ(decoded.consumed, complete.size());
  }
}

TEST(JournalFormat, CorruptEntryStopsDecodingBeforeIt) {
  const auto first = EncodeUpsert(Contact(L"A", 1, L"first"));
  const auto middle = EncodeUpsert(Contact(L"B", 2, L"second"));
  const auto bytes = Concatenate({first, middle, EncodeUpsert(Contact(L"C", 3, L"third"))});
  // Byte 4 onwards is the checksum and the payload; bytes 0-3 are the length,
  // whose damage reads as a torn or corrupt entry depending on the value.
  for (std::size_t offset = 4; offset < middle.size(); ++offset) {
    auto damaged = bytes;
    damaged[first.size() + offset] ^= 0x40;

    const auto decoded = DecodeEntries(damaged);

    ASSERT_EQ(decoded.tail, Tail::Corrupt) << "byte " << offset;
    ASSERT_EQ(decoded.entries.size(), 1u);
    ASSERT_EQ(decoded.consumed, first.size());
  }
}

TEST(JournalFormat, ImplausibleLengthIsCorruptNotAnAllocation) {
  std::vector<std::uint8_t> bytes{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
  EXPECT_EQ(DecodeEntries(bytes).tail, Tail::Corrupt);
}

TEST(JournalFormat, WellFramedPayloadOfUnknownLayoutIsCorrupt) {
  auto entry = EncodeDelete(L"X");
  entry.push_back(0);  // one byte the payload does not account for
  entry[0] = static_cast<std::uint8_t>(entry.size() - 8);
  EXPECT_EQ(DecodeEntries(entry).tail, Tail::Corrupt);
}

TEST(FolderState, UpsertReplacesInPlaceAndDeleteKeepsOrder) {
  FolderState folder;
  for (const wchar_t* id : {L"A", L"B", L"C"}) folder.Apply(Upsert{Contact(id, 1, id)});
  folder.Apply(Upsert{Contact(L"A", 2, L"renamed")});
  folder.Apply(Delete{L"B"});
  folder.Apply(Delete{L"not there"});

  const auto items = folder.Items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].entryId, L"A");
  EXPECT_EQ(items[0].properties[0], L"renamed");
  EXPECT_EQ(items[1].entryId, L"C");
  EXPECT_EQ(folder.Count(), 2u);
}

TEST(FolderState, WalkContinuesAfterItsCurrentItemIsRemoved) {
  FolderState folder;
  for (const wchar_t* id : {L"A", L"B", L"C"}) folder.Put(Contact(id, 1, id));
  const auto onB = folder.ItemAfter(folder.ItemAfter(std::nullopt)->first);
  ASSERT_EQ(onB->second->entryId, L"B");

  folder.Remove(L"B");

  const auto next = folder.ItemAfter(onB->first);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->second->entryId, L"C");
  EXPECT_FALSE(folder.ItemAfter(next->first));
}

TEST(FolderState, CompactSizeTracksTheLiveItems) {
  FolderState folder;
  folder.Put(AwkwardItem());
  folder.Put(Contact(L"B", 1, L"b"));
  folder.Put(Contact(L"B", 2, L"a longer replacement"));
  folder.Remove(L"0000000012AB");
  EXPECT_EQ(folder.CompactJournalSize(), kHeaderSize + EncodeUpsert(Contact(L"B", 2, L"a longer replacement")).size());
}

TEST(FolderState, LatestTimeSurvivesRemovalAndClearing) {
  FolderState folder;
  folder.Put(Contact(L"A", 5, L""));
  folder.Put(Contact(L"B", 3, L""));
  folder.Remove(L"A");
  folder.Clear();
  EXPECT_EQ(folder.LatestTime(), 5);
  EXPECT_EQ(folder.Count(), 0u);
}

}  // namespace
}  // namespace outlook_standin::journal
