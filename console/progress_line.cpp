#include "progress_line.h"

#include <utility>

namespace console {

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

}  // namespace

ProgressLine::ProgressLine(Writer write, bool shown) : write_(std::move(write)), shown_(shown && write_) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Update(std::string_view what, std::size_t done, std::size_t total, Clock::time_point now) {
  if (!shown_) return;
  if (drawnOnce_ && now - lastDrawn_ < kRedrawInterval) return;
  lastDrawn_ = now;
  drawnOnce_ = true;
  std::string text(what);
  text += ": " + std::to_string(done);
  if (total > 0) text += " of " + std::to_string(total);
  Draw(text);
}

void ProgressLine::Draw(const std::string& text) {
  // Spaces wipe what a longer line before left behind.
  std::string line(1, '\r');
  line += text;
  if (text.size() < drawnWidth_) {
    line.append(drawnWidth_ - text.size(), ' ');
    line += '\r';
    line += text;
  }
  drawnWidth_ = text.size();
  write_(line);
}

void ProgressLine::Clear() {
  if (!shown_ || drawnWidth_ == 0) return;
  std::string blank(drawnWidth_ + 2, ' ');
  blank.front() = '\r';
  blank.back() = '\r';
  write_(blank);
  drawnWidth_ = 0;
}

}  // namespace console
