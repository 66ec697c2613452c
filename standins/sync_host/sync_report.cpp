#include "sync_report.h"

#include <algorithm>

#include "contact_listing.h"

namespace sync_host {

namespace {

std::string Counted(int count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

}  // namespace

void SyncReport::Write(std::FILE* to, std::string_view text) {
  if (to == nullptr) return;
  if (progress_ != nullptr) progress_->Clear();
  std::fprintf(to, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(to);
}

void SyncReport::Progressed() {
  if (progress_ == nullptr) return;
  const SyncCounts& c = counts_;
  progress_->Update("Synchronising: contacts acted on",
                    static_cast<std::size_t>(c.sent + c.received + c.deleted + c.conflicts + c.skipped + c.failed));
}

void SyncReport::Note(std::string_view text) { Write(out_, text); }

void SyncReport::Line(std::FILE* to, std::string_view verb, const contact_core::ContactRecord& contact,
                      std::string_view detail) {
  std::string line = "  " + std::string(verb);
  line.resize(std::max<std::size_t>(line.size() + 1, 12), ' ');
  line += device::DisplayName(contact);
  if (!detail.empty()) line += std::string(": ") + std::string(detail);
  Write(to, line);
  Progressed();
}

void SyncReport::Sent(const contact_core::ContactRecord& contact) {
  ++counts_.sent;
  Line(out_, "sent", contact);
}

void SyncReport::Received(const contact_core::ContactRecord& contact) {
  ++counts_.received;
  Line(out_, "received", contact);
}

void SyncReport::DeletedOnDesktop(const contact_core::ContactRecord& contact) {
  ++counts_.deleted;
  Line(out_, "deleted", contact, "deleted on the device, now on the desktop too");
}

void SyncReport::DeletedOnDevice(const contact_core::ContactRecord& contact) {
  ++counts_.deleted;
  Line(out_, "deleted", contact, "deleted on the desktop, now on the device too");
}

void SyncReport::Conflict(const contact_core::ContactRecord& contact, std::string_view description,
                          std::string_view outcome) {
  ++counts_.conflicts;
  Line(out_, "conflict", contact, std::string(description) + "; " + std::string(outcome));
}

void SyncReport::ConflictLeft(const contact_core::ContactRecord& contact, std::string_view description) {
  ++counts_.conflicts;
  ++counts_.unsettled;
  Line(problems_, "conflict", contact, std::string(description) + "; both left as they are");
}

void SyncReport::Skipped(const contact_core::ContactRecord& contact, std::string_view reason) {
  ++counts_.skipped;
  Line(out_, "skipped", contact, reason);
}

void SyncReport::SkippedUnselected(int count) {
  counts_.skipped += count;
  Note("  skipped   " + Counted(count, "contact", "contacts") + " on the desktop not selected for synchronisation");
  Progressed();
}

void SyncReport::Failed(const contact_core::ContactRecord& contact, std::string_view reason) {
  ++counts_.failed;
  Line(problems_, "failed", contact, reason);
}

std::string SyncReport::Summary() const {
  return "sent " + std::to_string(counts_.sent) + ", received " + std::to_string(counts_.received) + ", deleted " +
         std::to_string(counts_.deleted) + ", conflicts " + std::to_string(counts_.conflicts) + ", skipped " +
         std::to_string(counts_.skipped) + ", failed " + std::to_string(counts_.failed);
}

std::string SyncReport::Undone() const {
  std::string text;
  if (counts_.unsettled > 0) text = Counted(counts_.unsettled, "conflict left as it was", "conflicts left as they were");
  if (counts_.failed > 0) {
    if (!text.empty()) text += ", ";
    text += Counted(counts_.failed, "contact failed", "contacts failed");
  }
  return text;
}

}  // namespace sync_host
