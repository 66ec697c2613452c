#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "hostile_bytes.h"
#include "persisted_handle.h"

namespace {

namespace ph = pelloquin::persisted;
using Bytes = std::vector<std::byte>;

Bytes Encode(const ph::HandleForm& form) {
  Bytes bytes(ph::SizeOf(form));
  ph::Write(form, bytes);
  return bytes;
}

Bytes Raw(std::initializer_list<unsigned> values) {
  Bytes bytes;
  for (const unsigned value : values) bytes.push_back(static_cast<std::byte>(value));
  return bytes;
}

const std::vector<ph::HandleForm> kForms{
    ph::ItemForm{0, ""},
    ph::ItemForm{45123.5, "00000000A1B2C3D4E5F6"},
    ph::ItemForm{-1e300, std::string(300, '\xFF')},
    ph::FolderForm{0, 0},
    ph::FolderForm{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<double>::infinity()},
    ph::FolderForm{std::numeric_limits<std::int32_t>::max(), -0.0},
};

// Whatever Read accepts is the form at the start of `bytes`: writing it again
// gives back exactly the bytes it was read from.
void ExpectReadIsConsistent(std::span<const std::byte> bytes) {
  const auto form = ph::Read(bytes);
  if (!form) return;
  const std::size_t size = ph::SizeOf(*form);
  ASSERT_LE(size, bytes.size());
  EXPECT_EQ(Encode(*form), Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)));
}

TEST(PersistedHandleRobustness, FormsRoundTrip) {
  for (const ph::HandleForm& form : kForms) {
    const Bytes bytes = Encode(form);
    EXPECT_EQ(ph::Read(bytes), form) << bytes.size() << " bytes";
  }
  const Bytes nan_time = Encode(ph::FolderForm{3, std::numeric_limits<double>::quiet_NaN()});
  const auto read = ph::Read(nan_time);
  ASSERT_TRUE(read);
  EXPECT_TRUE(std::isnan(std::get<ph::FolderForm>(*read).dateTime));
  EXPECT_EQ(Encode(*read), nan_time);
}

TEST(PersistedHandleRobustness, EveryTruncationIsRefused) {
  for (const ph::HandleForm& form : kForms) {
    native_tests::ForEachTruncation(Encode(form), [](std::span<const std::byte> prefix, std::size_t length) {
      EXPECT_FALSE(ph::Read(prefix)) << length << " bytes";
    });
  }
}

TEST(PersistedHandleRobustness, DamagedFormsAreRefusedOrReadConsistently) {
  std::uint32_t seed = native_tests::kMutationSeed;
  for (const ph::HandleForm& form : kForms) {
    const Bytes valid = Encode(form);
    native_tests::ForEachSingleByteMutation(valid, 0, valid.size(),
                                            [](std::span<const std::byte> bytes, std::size_t) { ExpectReadIsConsistent(bytes); });
    native_tests::ForEachRandomMutation(valid, seed++, native_tests::kRandomMutations / 2,
                                        [](std::span<const std::byte> bytes) { ExpectReadIsConsistent(bytes); });
  }
}

TEST(PersistedHandleRobustness, HostileBytes) {
  Bytes unterminated = Raw({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  unterminated.resize(10000, std::byte{'A'});
  struct Case {
    const char* what;
    Bytes bytes;
    std::optional<ph::HandleForm> form;
  };
  const Case cases[] = {
      {"nothing", {}, std::nullopt},
      {"item tag alone", Raw({1, 0, 0, 0}), std::nullopt},
      {"item header without its zero", Raw({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), std::nullopt},
      {"item EntryID never terminated", unterminated, std::nullopt},
      {"item with an empty EntryID", Raw({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), ph::ItemForm{0, ""}},
      {"folder one byte short", Raw({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), std::nullopt},
      {"big-endian item tag", Raw({0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}), std::nullopt},
      {"unknown tag", Raw({3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), std::nullopt},
      {"tag zero", Bytes(16), std::nullopt},
  };
  for (const Case& c : cases) {
    const Bytes exact = c.bytes;
    EXPECT_EQ(ph::Read(exact), c.form) << c.what;
  }
  const Bytes with_zero = Encode(ph::ItemForm{1, std::string("AB\0CD", 5)});
  EXPECT_EQ(with_zero.size(), ph::ItemSize(2)) << "an EntryID is written up to its first zero";
  EXPECT_EQ(ph::Read(with_zero), (ph::HandleForm{ph::ItemForm{1, "AB"}}));
}

}  // namespace
