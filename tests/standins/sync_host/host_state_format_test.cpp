// The host state file's bytes.
#include <gtest/gtest.h>

#include <string>

#include "host_state_format.h"

namespace sync_host {
namespace {

Bytes Of(std::string_view text) {
  Bytes bytes;
  for (const char c : text) bytes.push_back(static_cast<std::byte>(c));
  return bytes;
}

HostState Example() {
  return {.storeId = Of(std::string("Pelloquin\0", 10)),
          .deviceIdentity = 0xD0C0FFEE,
          .folder = Of("folder-16-bytes!"),
          .pairs = {{3, Of("item three"), 0x0123456789ABCDEF}, {9, Of("item nine")}},
          .temporaries = {Of("temporary")},
          .pending = {0xFEDCBA9876543210}};
}

TEST(HostStateFormat, LaysOutEachPartAsLengthAndBytes) {
  const HostState state{.storeId = Of("ID"),
                        .deviceIdentity = 0x04030201,
                        .folder = {},
                        .pairs = {{7, Of("H"), 0x0807060504030201}},
                        .temporaries = {},
                        .pending = {5}};
  const Bytes expected = Of(std::string("SHST"
                                        "\x02\0\0\0"
                                        "\x02\0\0\0ID"
                                        "\x01\x02\x03\x04"
                                        "\0\0\0\0"
                                        "\x01\0\0\0"
                                        "\x07\0\0\0\x01\x02\x03\x04\x05\x06\x07\x08\x01\0\0\0H"
                                        "\0\0\0\0"
                                        "\x01\0\0\0\x05\0\0\0\0\0\0\0",
                                        59));
  EXPECT_EQ(EncodeHostState(state), expected);
}

TEST(HostStateFormat, ReadsBackWhatItWrote) {
  EXPECT_EQ(DecodeHostState(EncodeHostState(Example())), Example());
  EXPECT_EQ(DecodeHostState(EncodeHostState({})), HostState{});
}

TEST(HostStateFormat, RefusesEveryShortenedFile) {
  const Bytes whole = EncodeHostState(Example());
  for (std::size_t size = 0; size < whole.size(); ++size) {
    EXPECT_THROW(DecodeHostState(std::span(whole).first(size)), StateFormatError) << size << " bytes";
  }
}

TEST(HostStateFormat, RefusesFilesThatBreakTheFormat) {
  struct Case {
    const char* name;
    void (*breakIt)(Bytes&);
    const char* says;
  };
  const Case cases[] = {
      {"signature", [](Bytes& b) { b[1] = std::byte{'X'}; }, "not a host state file"},
      {"version", [](Bytes& b) { b[4] = std::byte{1}; }, "version 1"},
      {"trailing byte", [](Bytes& b) { b.push_back(std::byte{0}); }, "bytes after its end"},
      {"length past the end", [](Bytes& b) { b[8] = std::byte{0xFF}; }, "ends early"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = EncodeHostState(Example());
    c.breakIt(bytes);
    try {
      DecodeHostState(bytes);
      ADD_FAILURE() << "accepted";
    } catch (const StateFormatError& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
  }
}

TEST(HostStateFormat, RefusesADeviceContactPairedTwice) {
  HostState state = Example();
  state.pairs[1].objectId = state.pairs[0].objectId;
  EXPECT_THROW(DecodeHostState(EncodeHostState(state)), StateFormatError);
}

}  // namespace
}  // namespace sync_host
