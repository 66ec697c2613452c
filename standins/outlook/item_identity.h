// What the store gives an item when it is saved: its EntryID and its
// modification time.
#pragma once

#include <string>

namespace outlook_standin {

// A new personal-folders style EntryID: 48 uppercase hexadecimal characters
// (24 bytes: four zero flag bytes, then 20 random bytes).
std::wstring NewEntryId();

// The current local time as a DATE, but strictly later than `latestGiven`
// (by at least a millisecond), so that modification times never repeat.
double NextModificationTime(double latestGiven);

// The current local time as a DATE.
double CurrentDate();

}  // namespace outlook_standin
