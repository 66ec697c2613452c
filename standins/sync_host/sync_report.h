// What a synchronisation tells the person watching it: one line per contact
// it acts on, and the counts at the end.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "contact_record.h"
#include "progress_line.h"

namespace sync_host {

struct SyncCounts {
  int sent = 0;       // packets from the desktop to the device
  int received = 0;   // packets from the device to the desktop
  int deleted = 0;    // deletions carried to the other side
  int conflicts = 0;  // contacts changed on both sides, differently
  int unsettled = 0;  // of those, the ones left as they were
  int skipped = 0;    // contacts with something to carry that were left alone
  int failed = 0;     // contacts the provider or the device could not take
  bool operator==(const SyncCounts&) const = default;
};

class SyncReport {
 public:
  // Lines go to `out`; with nullptr the report only counts. Failures and
  // conflicts left as they were go to `problems` when given (even when `out`
  // is nullptr), else to `out`. `progress`, when given, is kept up to date
  // with every contact acted on and cleared before each line.
  explicit SyncReport(std::FILE* out, std::FILE* problems = nullptr, console::ProgressLine* progress = nullptr)
      : out_(out), problems_(problems != nullptr ? problems : out), progress_(progress) {}

  void Note(std::string_view text);
  void Sent(const contact_core::ContactRecord& contact);
  void Received(const contact_core::ContactRecord& contact);
  void DeletedOnDesktop(const contact_core::ContactRecord& contact);
  void DeletedOnDevice(const contact_core::ContactRecord& contact);
  // `description` says how the two versions differ; `outcome` what was done.
  void Conflict(const contact_core::ContactRecord& contact, std::string_view description, std::string_view outcome);
  // A conflict that no policy settled: both versions stay, and the run has
  // work left undone.
  void ConflictLeft(const contact_core::ContactRecord& contact, std::string_view description);
  void Skipped(const contact_core::ContactRecord& contact, std::string_view reason);
  // New desktop contacts that the user's selection leaves out, counted together.
  void SkippedUnselected(int count);
  void Failed(const contact_core::ContactRecord& contact, std::string_view reason);

  const SyncCounts& Counts() const { return counts_; }
  // "sent 3, received 1, deleted 0, conflicts 0, skipped 0, failed 0"
  std::string Summary() const;
  // Whether the run left work undone: a contact failed, or a conflict was
  // left as it was. Such a run does not answer success.
  bool WorkLeftUndone() const { return counts_.failed > 0 || counts_.unsettled > 0; }
  // "1 conflict left as it was, 2 contacts failed"; empty when nothing was left.
  std::string Undone() const;

 private:
  void Line(std::FILE* to, std::string_view verb, const contact_core::ContactRecord& contact,
            std::string_view detail = {});
  void Write(std::FILE* to, std::string_view text);
  void Progressed();

  std::FILE* out_;
  std::FILE* problems_;
  console::ProgressLine* progress_;
  SyncCounts counts_;
};

}  // namespace sync_host
