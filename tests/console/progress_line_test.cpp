// The progress line: drawn in place, not too often, wiped clean, and not at
// all when it is not to be shown.
#include "progress_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using console::ProgressLine;
using namespace std::chrono_literals;

TEST(ProgressLine, RedrawsInPlaceAtMostTenTimesASecondAndWipesItselfAway) {
  std::string written;
  const ProgressLine::Clock::time_point start{};
  {
    ProgressLine line([&written](std::string_view text) { written += text; }, true);
    line.Update("Contacts exported", 1, 120, start);
    line.Update("Contacts exported", 2, 120, start + 50ms);  // too soon: not drawn
    line.Update("Contacts exported", 99, 120, start + 150ms);
    line.Update("Done", 7, 0, start + 300ms);  // shorter: what the longer one left is wiped
    EXPECT_EQ(written,
              "\rContacts exported: 1 of 120"
              "\rContacts exported: 99 of 120"
              "\rDone: 7" + std::string(21, ' ') + "\rDone: 7");
    written.clear();
    line.Clear();
    EXPECT_EQ(written, "\r       \r");
    written.clear();
    line.Update("Again", 1, 0, start + 310ms);  // a clear does not hasten the next drawing
    EXPECT_EQ(written, "");
    line.Update("Again", 2, 0, start + 400ms);
    EXPECT_EQ(written, "\rAgain: 2");
    written.clear();
  }
  EXPECT_EQ(written, "\r        \r") << "the line goes when the work ends";
}

TEST(ProgressLine, NotShownWritesNothing) {
  std::string written;
  {
    ProgressLine line([&written](std::string_view text) { written += text; }, false);
    line.Update("Contacts exported", 1, 2);
    line.Clear();
    EXPECT_FALSE(line.Shown());
  }
  EXPECT_EQ(written, "");
}

}  // namespace
