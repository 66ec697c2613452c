// The persisted form of a handle, which the service manager stores between
// connections and hands back: little-endian, packed, no padding.
//
//   item,   13 + n bytes: tag 1 (u32), modification time (f64 DATE),
//                         the EntryID's n 8-bit characters, a zero byte
//   folder, 16 bytes:     tag 2 (u32), item count (i32), latest time (f64 DATE)
//
// Plain C++ over bytes, with no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace pelloquin::persisted {

inline constexpr std::uint32_t kItemTag = 1;
inline constexpr std::uint32_t kFolderTag = 2;
inline constexpr std::size_t kItemHeaderSize = 12;
inline constexpr std::size_t kFolderSize = 16;

struct ItemForm {
  double modTime = 0;
  std::string entryId;  // 8-bit characters, without the terminating zero
  bool operator==(const ItemForm&) const = default;
};

struct FolderForm {
  std::int32_t itemCount = 0;
  double dateTime = 0;
  bool operator==(const FolderForm&) const = default;
};

using HandleForm = std::variant<ItemForm, FolderForm>;

constexpr std::size_t ItemSize(std::size_t entryIdLength) { return kItemHeaderSize + entryIdLength + 1; }
std::size_t SizeOf(const HandleForm& form);

// Writes `form` at the start of `out`, which holds at least SizeOf(form) bytes.
// An EntryID is written up to its first zero character.
void Write(const HandleForm& form, std::span<std::byte> out);

// The handle described by `bytes`, or nothing when they are not a whole
// persisted form: an unknown tag, fewer bytes than the form needs, or an item
// whose EntryID has no terminating zero within `bytes`.
std::optional<HandleForm> Read(std::span<const std::byte> bytes);

}  // namespace pelloquin::persisted
