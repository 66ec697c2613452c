#include <gtest/gtest.h>

#include <set>

#include "host_state_format.h"
#include "hostile_bytes.h"

namespace {

using sync_host::Bytes;
using sync_host::HostState;

Bytes Filled(std::size_t size, unsigned value) { return Bytes(size, static_cast<std::byte>(value)); }

std::vector<HostState> SampleStates() {
  return {
      HostState{},
      HostState{.storeId = Filled(16, 0xAB),
                .deviceIdentity = 0x12345678,
                .folder = Filled(16, 2),
                .pairs = {{1, Filled(40, 1), 0xFFFFFFFFFFFFFFFF}, {0xFFFFFFFF, {}, 1}, {0, Filled(1, 0)}},
                .temporaries = {Filled(30, 0x11), {}},
                .pending = {7, 0xFFFFFFFFFFFFFFFF}},
      HostState{.storeId = Filled(300, 0), .folder = {}, .pairs = {}, .temporaries = {}, .pending = {1}},
  };
}

std::optional<HostState> Decode(std::span<const std::byte> bytes) {
  try {
    return sync_host::DecodeHostState(bytes);
  } catch (const sync_host::StateFormatError&) {
    return std::nullopt;
  }
}

// The format has one encoding per state and no bytes to spare, so whatever
// decodes encodes back to the very same bytes.
void ExpectDecodeIsConsistent(std::span<const std::byte> bytes) {
  const auto state = Decode(bytes);
  if (!state) return;
  EXPECT_EQ(sync_host::EncodeHostState(*state), Bytes(bytes.begin(), bytes.end()));
  std::set<std::uint32_t> paired;
  for (const auto& pair : state->pairs) EXPECT_TRUE(paired.insert(pair.objectId).second) << pair.objectId;
}

TEST(HostStateRobustness, StatesRoundTrip) {
  for (const HostState& state : SampleStates()) {
    EXPECT_EQ(sync_host::DecodeHostState(sync_host::EncodeHostState(state)), state);
  }
}

TEST(HostStateRobustness, EveryTruncationIsRefused) {
  for (const HostState& state : SampleStates()) {
    native_tests::ForEachTruncation(sync_host::EncodeHostState(state), [](std::span<const std::byte> prefix, std::size_t length) {
      EXPECT_THROW(sync_host::DecodeHostState(prefix), sync_host::StateFormatError) << length << " bytes";
    });
  }
}

TEST(HostStateRobustness, DamagedStatesAreRefusedOrDecodeConsistently) {
  std::uint32_t seed = native_tests::kMutationSeed;
  for (const HostState& state : SampleStates()) {
    const Bytes valid = sync_host::EncodeHostState(state);
    native_tests::ForEachSingleByteMutation(valid, 0, valid.size(),
                                            [](std::span<const std::byte> bytes, std::size_t) { ExpectDecodeIsConsistent(bytes); });
    native_tests::ForEachRandomMutation(valid, seed++, native_tests::kRandomMutations,
                                        [](std::span<const std::byte> bytes) { ExpectDecodeIsConsistent(bytes); });
  }
}

TEST(HostStateRobustness, HostileStates) {
  class Builder {
   public:
    Builder& Raw(std::initializer_list<unsigned> values) {
      for (const unsigned value : values) bytes.push_back(static_cast<std::byte>(value));
      return *this;
    }
    Builder& U32(std::uint32_t value) {
      for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::byte>(value >> (8 * i)));
      return *this;
    }
    Builder& Header() { return Raw({'S', 'H', 'S', 'T'}).U32(2); }
    Bytes bytes;
  };
  // Header, empty store id, device identity, empty folder handle.
  const auto start = [] { return Builder().Header().U32(0).U32(0).U32(0); };
  const auto empty = [&] { return start().U32(0).U32(0).U32(0); };

  struct Case {
    const char* what;
    Bytes bytes;
    bool valid;
  };
  const Case cases[] = {
      {"empty state", empty().bytes, true},
      {"nothing", {}, false},
      {"three bytes of signature", Builder().Raw({'S', 'H', 'S'}).bytes, false},
      {"another signature", Builder().Raw({'S', 'H', 'S', 'U'}).U32(2).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).bytes, false},
      {"an older version", Builder().Raw({'S', 'H', 'S', 'T'}).U32(1).U32(0).U32(0).U32(0).U32(0).U32(0).bytes, false},
      {"store id length past the end", Builder().Header().U32(0xFFFFFFFF).U32(0).U32(0).U32(0).U32(0).U32(0).bytes, false},
      {"largest pair count", start().U32(0xFFFFFFFF).U32(1).U32(0).U32(0).U32(0).bytes, false},
      {"pending count that overflows times eight", start().U32(0).U32(0).U32(0x20000001).U32(9).U32(0).bytes, false},
      {"temporary count with no temporaries", start().U32(0).U32(0x10000000).bytes, false},
      {"device contact paired twice",
       start().U32(2).U32(5).U32(0).U32(0).U32(0).U32(5).U32(0).U32(0).U32(0).U32(0).U32(0).bytes, false},
      {"a byte after the end", empty().Raw({0}).bytes, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.bytes).has_value(), c.valid) << c.what;
    ExpectDecodeIsConsistent(c.bytes);
  }
}

}  // namespace
