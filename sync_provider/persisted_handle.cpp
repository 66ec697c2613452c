#include "persisted_handle.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace pelloquin::persisted {

namespace {

template <class Unsigned>
void PutLittleEndian(std::byte* out, Unsigned value) {
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) out[i] = static_cast<std::byte>(value >> (8 * i));
}

template <class Unsigned>
Unsigned GetLittleEndian(const std::byte* in) {
  Unsigned value = 0;
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) value |= static_cast<Unsigned>(in[i]) << (8 * i);
  return value;
}

void PutDouble(std::byte* out, double value) { PutLittleEndian(out, std::bit_cast<std::uint64_t>(value)); }
double GetDouble(const std::byte* in) { return std::bit_cast<double>(GetLittleEndian<std::uint64_t>(in)); }

std::string_view UpToZero(const std::string& text) { return std::string_view(text.c_str()); }

}  // namespace

std::size_t SizeOf(const HandleForm& form) {
  if (const auto* item = std::get_if<ItemForm>(&form)) return ItemSize(UpToZero(item->entryId).size());
  return kFolderSize;
}

void Write(const HandleForm& form, std::span<std::byte> out) {
  if (const auto* item = std::get_if<ItemForm>(&form)) {
    const std::string_view entry_id = UpToZero(item->entryId);
    PutLittleEndian(out.data(), kItemTag);
    PutDouble(out.data() + 4, item->modTime);
    std::memcpy(out.data() + kItemHeaderSize, entry_id.data(), entry_id.size());
    out[kItemHeaderSize + entry_id.size()] = std::byte{0};
    return;
  }
  const auto& folder = std::get<FolderForm>(form);
  PutLittleEndian(out.data(), kFolderTag);
  PutLittleEndian(out.data() + 4, static_cast<std::uint32_t>(folder.itemCount));
  PutDouble(out.data() + 8, folder.dateTime);
}

std::optional<HandleForm> Read(std::span<const std::byte> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  switch (GetLittleEndian<std::uint32_t>(bytes.data())) {
    case kItemTag: {
      if (bytes.size() < ItemSize(0)) return std::nullopt;
      const auto text = bytes.subspan(kItemHeaderSize);
      const auto zero = std::find(text.begin(), text.end(), std::byte{0});
      if (zero == text.end()) return std::nullopt;
      return ItemForm{GetDouble(bytes.data() + 4),
                      std::string(reinterpret_cast<const char*>(text.data()), zero - text.begin())};
    }
    case kFolderTag:
      if (bytes.size() < kFolderSize) return std::nullopt;
      return FolderForm{static_cast<std::int32_t>(GetLittleEndian<std::uint32_t>(bytes.data() + 4)),
                        GetDouble(bytes.data() + 8)};
    default:
      return std::nullopt;
  }
}

}  // namespace pelloquin::persisted
