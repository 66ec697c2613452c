// Damaged copies of a valid encoding, for parsers that must refuse or survive
// them. Each copy handed out is its own allocation of exactly its size, so a
// read one byte past the end lands in AddressSanitizer's red zone instead of
// in spare vector capacity.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace native_tests {

inline constexpr std::uint32_t kMutationSeed = 0x5EED'F00Du;
inline constexpr int kRandomMutations = 3000;

template <class Byte>
std::vector<Byte> ExactCopy(std::span<const Byte> bytes) {
  return std::vector<Byte>(bytes.begin(), bytes.end());
}

// Every proper prefix of `valid`, shortest first, with its length.
template <class Byte, class Visit>
void ForEachTruncation(const std::vector<Byte>& valid, Visit visit) {
  for (std::size_t length = 0; length < valid.size(); ++length) {
    const auto prefix = ExactCopy(std::span<const Byte>(valid.data(), length));
    visit(std::span<const Byte>(prefix), length);
  }
}

// `valid` with the byte at each position in [first, last) replaced by the
// values that most often fool a parser: zero, all ones, one more, top bit
// flipped. Visits the copy and the position changed.
template <class Byte, class Visit>
void ForEachSingleByteMutation(const std::vector<Byte>& valid, std::size_t first, std::size_t last, Visit visit) {
  for (std::size_t position = first; position < last && position < valid.size(); ++position) {
    const auto original = static_cast<unsigned>(valid[position]);
    for (const unsigned value : {0x00u, 0xFFu, (original + 1) & 0xFFu, original ^ 0x80u}) {
      if (value == original) continue;
      auto mutated = valid;
      mutated[position] = static_cast<Byte>(value);
      visit(std::span<const Byte>(mutated), position);
    }
  }
}

// `count` copies of `valid`, each with one to eight random edits: bytes
// overwritten, the copy cut short, or random bytes inserted.
template <class Byte, class Visit>
void ForEachRandomMutation(const std::vector<Byte>& valid, std::uint32_t seed, int count, Visit visit) {
  std::mt19937 random(seed);
  const auto below = [&random](std::size_t bound) {
    return bound == 0 ? std::size_t{0} : std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
  };
  const auto any_byte = [&random] { return static_cast<Byte>(std::uniform_int_distribution<unsigned>(0, 255)(random)); };
  for (int round = 0; round < count; ++round) {
    auto mutated = valid;
    for (std::size_t edits = 1 + below(8); edits > 0; --edits) {
      switch (below(6)) {
        case 0:
          mutated.resize(below(mutated.size() + 1));
          break;
        case 1:
          for (std::size_t added = 1 + below(16); added > 0; --added) {
            mutated.insert(mutated.begin() + static_cast<std::ptrdiff_t>(below(mutated.size() + 1)), any_byte());
          }
          break;
        default:
          if (!mutated.empty()) mutated[below(mutated.size())] = any_byte();
          break;
      }
    }
    const auto exact = ExactCopy(std::span<const Byte>(mutated));
    visit(std::span<const Byte>(exact));
  }
}

}  // namespace native_tests
