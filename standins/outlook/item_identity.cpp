#include "item_identity.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "com_failure.h"

namespace outlook_standin {
namespace {

constexpr double kMillisecond = 1.0 / (24.0 * 60 * 60 * 1000);
constexpr std::int64_t kFileTimeUnitsPerDay = 864000000000LL;  // 100 ns units
// FILETIME of 30 December 1899, the DATE epoch: 109205 days after 1 January 1601.
constexpr std::int64_t kDateEpochFileTime = 109205LL * kFileTimeUnitsPerDay;

GUID RandomGuid() {
  GUID guid{};
  if (FAILED(CoCreateGuid(&guid))) throw ComFailure(E_FAIL, L"No random EntryID");
  return guid;
}

}  // namespace

std::wstring NewEntryId() {
  std::array<std::uint8_t, 24> bytes{};
  const GUID first = RandomGuid();
  const GUID second = RandomGuid();
  std::copy_n(reinterpret_cast<const std::uint8_t*>(&first), 16, bytes.begin() + 4);
  std::copy_n(reinterpret_cast<const std::uint8_t*>(&second), 4, bytes.begin() + 20);
  constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring text;
  text.reserve(2 * bytes.size());
  for (std::uint8_t byte : bytes) {
    text.push_back(kHex[byte >> 4]);
    text.push_back(kHex[byte & 0xF]);
  }
  return text;
}

double CurrentDate() {
  FILETIME utc{};
  FILETIME local{};
  GetSystemTimeAsFileTime(&utc);
  if (!FileTimeToLocalFileTime(&utc, &local)) local = utc;
  const std::int64_t ticks = (static_cast<std::int64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
  return static_cast<double>(ticks - kDateEpochFileTime) / static_cast<double>(kFileTimeUnitsPerDay);
}

double NextModificationTime(double latestGiven) {
  return std::max(CurrentDate(), latestGiven + kMillisecond);
}

}  // namespace outlook_standin
