// What a synchronisation tells the person watching it: one line per contact
// it acts on, and the counts at the end.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "contact_record.h"

namespace sync_host {

struct SyncCounts {
  int sent = 0;       // packets from the desktop to the device
  int received = 0;   // packets from the device to the desktop
  int deleted = 0;    // deletions carried to the other side
  int conflicts = 0;  // contacts changed on both sides, differently
  int skipped = 0;    // contacts with something to carry that were left alone
  int failed = 0;     // contacts the provider or the device could not take
  bool operator==(const SyncCounts&) const = default;
};

class SyncReport {
 public:
  // Lines go to `out`; with nullptr the report only counts.
  explicit SyncReport(std::FILE* out) : out_(out) {}

  void Note(std::string_view text);
  void Sent(const contact_core::ContactRecord& contact);
  void Received(const contact_core::ContactRecord& contact);
  void DeletedOnDesktop(const contact_core::ContactRecord& contact);
  void DeletedOnDevice(const contact_core::ContactRecord& contact);
  // `description` says how the two versions differ; `outcome` what was done.
  void Conflict(const contact_core::ContactRecord& contact, std::string_view description, std::string_view outcome);
  void Skipped(const contact_core::ContactRecord& contact, std::string_view reason);
  // New desktop contacts that the user's selection leaves out, counted together.
  void SkippedUnselected(int count);
  void Failed(const contact_core::ContactRecord& contact, std::string_view reason);

  const SyncCounts& Counts() const { return counts_; }
  // "sent 3, received 1, deleted 0, conflicts 0, skipped 0, failed 0"
  std::string Summary() const;

 private:
  void Line(std::string_view verb, const contact_core::ContactRecord& contact, std::string_view detail = {});

  std::FILE* out_;
  SyncCounts counts_;
};

}  // namespace sync_host
