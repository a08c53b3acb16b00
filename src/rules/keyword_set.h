#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A fixed set of keywords and the question whether a text holds any of them.
//
// Keywords and texts are UTF-16, compared as exact code-unit sequences (no case folding,
// no normalisation, no trimming). A keyword that holds U+FFFF never matches, as U+FFFF can
// neither begin nor continue a keyword; every other keyword is found wherever it occurs.
//
// Match looks at each pair of neighbouring units through a bit filter indexed by a hash of
// the pair (one memory access per unit, in a table small enough to stay in the cache);
// only a pair that begins some keyword leads to a lookup of the keywords that begin with
// it. A filter on two units separates Chinese keywords far better than one on single
// units, whose bits are set for almost every common character. Single-unit keywords have a
// bit set of their own. Match allocates nothing.
//
// Immutable after construction; Match may run on any number of threads at once.
class CKeywordSet {
 public:
  CKeywordSet() = default;
  explicit CKeywordSet(const std::vector<std::u16string>& keywords);

  bool Match(std::u16string_view text) const;

  // Whether some keyword occurs in `text` at a place that no keyword of `clearing` overlaps
  // (shares a unit with). A clearing word is an ordinary word that runs into a keyword
  // ("姜黄片" around "黄片"); it clears that occurrence only, so a text that also holds the
  // keyword elsewhere, or an ordinary word far from it, still matches.
  bool MatchOutside(std::u16string_view text, const CKeywordSet& clearing) const;

  // Distinct keywords held (those with U+FFFF included, though they never match).
  size_t Size() const { return size_; }
  size_t MemoryBytes() const;

 private:
  static constexpr int kFilterBits = 18;

  struct Keyword {
    uint32_t offset;  // into units_
    uint32_t length;
  };
  struct Slot {
    uint32_t pair;   // first unit << 16 | second unit
    uint32_t begin;  // into keywords_
    uint32_t count;  // 0: empty slot
  };

  static uint32_t Hash(uint32_t pair) { return pair * 0x9E3779B1u; }
  const Slot* FindPair(uint32_t pair) const;
  // Calls accept(begin, end) for the occurrences of keywords in `text`, [begin, end) in
  // units, until it returns true; returns whether it did.
  template <typename Accept>
  bool FindOccurrence(std::u16string_view text, Accept accept) const;

  size_t size_ = 0;
  bool has_single_units_ = false;
  std::bitset<65536> single_units_;
  std::vector<uint64_t> pair_filter_;  // bit Hash(pair) >> (32 - kFilterBits)
  std::vector<Slot> slots_;            // open addressing over Hash(pair)
  int slot_shift_ = 32;
  std::vector<Keyword> keywords_;      // grouped by first pair, shortest first
  std::u16string units_;
};
