// The line that shows how far long work has come (a synchronisation, an
// export, an import, a conversion), redrawn in place on a terminal and
// removed when the work ends. Every console program of the project uses this
// one; whether it is shown at all is the caller's choice: on a terminal, and
// not asked to be quiet (terminal.h says which stream is a terminal).
//
// Plain C++: the caller hands it the function that writes to its standard
// error, so it serves the Windows programs and the native converter alike.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace console {

class ProgressLine {
 public:
  using Writer = std::function<void(std::string_view)>;
  using Clock = std::chrono::steady_clock;

  // Draws through `write` only when `shown`; otherwise every call does nothing.
  ProgressLine(Writer write, bool shown);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool Shown() const { return shown_; }

  // "<what>: <done> of <total>", or "<what>: <done>" when the total is not
  // known (0). Redrawn at most ten times a second, so it costs nothing next to
  // the work it follows; `now` is there for tests.
  void Update(std::string_view what, std::size_t done, std::size_t total = 0, Clock::time_point now = Clock::now());

  // Takes the line away, so that other output starts at the beginning of an
  // empty line; an Update draws it again, no sooner than a tenth of a second
  // after it was last drawn, so that a stream of other lines does not redraw
  // it after each one.
  void Clear();

 private:
  void Draw(const std::string& text);

  Writer write_;
  bool shown_;
  std::size_t drawnWidth_ = 0;
  Clock::time_point lastDrawn_{};
  bool drawnOnce_ = false;
};

}  // namespace console
