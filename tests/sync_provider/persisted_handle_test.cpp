// The persisted handle form, byte for byte, and what is refused when read.
#include "persisted_handle.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <vector>

namespace pelloquin::persisted {
namespace {

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
  std::vector<std::byte> bytes;
  for (int value : values) bytes.push_back(static_cast<std::byte>(value));
  return bytes;
}

std::vector<std::byte> Written(const HandleForm& form) {
  std::vector<std::byte> bytes(SizeOf(form), std::byte{0xCC});
  Write(form, bytes);
  return bytes;
}

// 1.5 as an IEEE 754 double: 0x3FF8000000000000, little-endian.
constexpr int kOnePointFive[] = {0, 0, 0, 0, 0, 0, 0xF8, 0x3F};

TEST(PersistedHandle, ItemIsTagTimeTextAndZero) {
  const std::vector<std::byte> bytes = Written(ItemForm{1.5, "0A1B"});
  std::vector<std::byte> expected = Bytes({1, 0, 0, 0});
  for (int b : kOnePointFive) expected.push_back(static_cast<std::byte>(b));
  for (char c : std::string("0A1B")) expected.push_back(static_cast<std::byte>(c));
  expected.push_back(std::byte{0});
  EXPECT_EQ(bytes, expected);
}

TEST(PersistedHandle, ItemSizeIsThirteenPlusTheEntryIdLength) {
  EXPECT_EQ(SizeOf(ItemForm{0, std::string(48, 'F')}), 61u);
  EXPECT_EQ(SizeOf(ItemForm{0, std::string(140, 'F')}), 153u);
  EXPECT_EQ(SizeOf(ItemForm{0, ""}), 13u);
  EXPECT_EQ(Written(ItemForm{0, ""}).back(), std::byte{0});
}

TEST(PersistedHandle, FolderIsTagCountAndTime) {
  std::vector<std::byte> expected = Bytes({2, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF});
  for (int b : kOnePointFive) expected.push_back(static_cast<std::byte>(b));
  EXPECT_EQ(Written(FolderForm{-2, 1.5}), expected);
  EXPECT_EQ(SizeOf(FolderForm{}), 16u);
}

TEST(PersistedHandle, WhatIsWrittenReadsBack) {
  const HandleForm forms[] = {
      ItemForm{45123.456789, std::string(48, 'A')},
      ItemForm{0.0, ""},
      FolderForm{7, 45000.25},
      FolderForm{0, 0.0},
  };
  for (const HandleForm& form : forms) {
    const auto read = Read(Written(form));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, form);
  }
}

TEST(PersistedHandle, MalformedFormsAreRefused) {
  const std::vector<std::byte> item = Written(ItemForm{1.5, "0A1B"});
  const std::vector<std::byte> folder = Written(FolderForm{3, 1.5});
  std::vector<std::byte> unknown_tag = folder;
  unknown_tag[0] = std::byte{3};
  std::vector<std::byte> unterminated = item;
  unterminated.back() = std::byte{'C'};
  const struct {
    const char* what;
    std::vector<std::byte> bytes;
  } cases[] = {
      {"nothing", {}},
      {"part of a tag", Bytes({1, 0, 0})},
      {"tag 3", unknown_tag},
      {"tag 0", Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
      {"item without its time", Bytes({1, 0, 0, 0, 0, 0})},
      {"item header without text or zero", std::vector<std::byte>(item.begin(), item.begin() + 12)},
      {"item cut before its zero", std::vector<std::byte>(item.begin(), item.end() - 1)},
      {"item without a zero byte", unterminated},
      {"folder of 15 bytes", std::vector<std::byte>(folder.begin(), folder.end() - 1)},
  };
  for (const auto& c : cases) EXPECT_FALSE(Read(c.bytes).has_value()) << c.what;
}

TEST(PersistedHandle, ItemTextEndsAtTheFirstZeroWithinTheBytes) {
  std::vector<std::byte> bytes = Written(ItemForm{1.5, "0A1B"});
  bytes[14] = std::byte{0};  // "0A" then a zero, then "1B" and the final zero
  const auto read = Read(bytes);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(std::get<ItemForm>(*read).entryId, "0A");
  // Bytes after the form are ignored.
  std::vector<std::byte> longer = Written(FolderForm{3, 1.5});
  longer.push_back(std::byte{0x55});
  EXPECT_EQ(Read(longer), (HandleForm{FolderForm{3, 1.5}}));
}

}  // namespace
}  // namespace pelloquin::persisted
