#include "sync_report.h"

#include <algorithm>

#include "contact_listing.h"

namespace sync_host {

void SyncReport::Note(std::string_view text) {
  if (out_ == nullptr) return;
  std::fprintf(out_, "%.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(out_);
}

void SyncReport::Line(std::string_view verb, const contact_core::ContactRecord& contact, std::string_view detail) {
  std::string line = "  " + std::string(verb);
  line.resize(std::max<std::size_t>(line.size() + 1, 12), ' ');
  line += device::DisplayName(contact);
  if (!detail.empty()) line += std::string(": ") + std::string(detail);
  Note(line);
}

void SyncReport::Sent(const contact_core::ContactRecord& contact) {
  ++counts_.sent;
  Line("sent", contact);
}

void SyncReport::Received(const contact_core::ContactRecord& contact) {
  ++counts_.received;
  Line("received", contact);
}

void SyncReport::DeletedOnDesktop(const contact_core::ContactRecord& contact) {
  ++counts_.deleted;
  Line("deleted", contact, "deleted on the device, now on the desktop too");
}

void SyncReport::DeletedOnDevice(const contact_core::ContactRecord& contact) {
  ++counts_.deleted;
  Line("deleted", contact, "deleted on the desktop, now on the device too");
}

void SyncReport::Conflict(const contact_core::ContactRecord& contact, std::string_view description,
                          std::string_view outcome) {
  ++counts_.conflicts;
  Line("conflict", contact, std::string(description) + "; " + std::string(outcome));
}

void SyncReport::Skipped(const contact_core::ContactRecord& contact, std::string_view reason) {
  ++counts_.skipped;
  Line("skipped", contact, reason);
}

void SyncReport::SkippedUnselected(int count) {
  counts_.skipped += count;
  Note("  skipped   " + std::to_string(count) + (count == 1 ? " contact" : " contacts") +
       " on the desktop not selected for synchronisation");
}

void SyncReport::Failed(const contact_core::ContactRecord& contact, std::string_view reason) {
  ++counts_.failed;
  Line("failed", contact, reason);
}

std::string SyncReport::Summary() const {
  return "sent " + std::to_string(counts_.sent) + ", received " + std::to_string(counts_.received) + ", deleted " +
         std::to_string(counts_.deleted) + ", conflicts " + std::to_string(counts_.conflicts) + ", skipped " +
         std::to_string(counts_.skipped) + ", failed " + std::to_string(counts_.failed);
}

}  // namespace sync_host
