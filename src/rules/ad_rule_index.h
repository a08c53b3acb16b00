#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Finds the few rules that can match an address without looking at the others.
//
// Every rule is filed under short keys of one to four bytes taken from literal runs that
// each of its matches must hold: for one of the rule's run sets (see
// CRegexProgram::RequiredRunSets), one key inside every run of the set. A rule can match an
// address only if the address holds one of its keys, so the candidates of an address are
// the rules filed under the keys found at its positions: the work per address grows with
// the address's length and the number of candidates, not with the number of rules. Keys
// are chosen to be rare among the rules (long, and shared by few others), which keeps the
// candidates few. Rules without any literal run are candidates for every address, and so
// are the few whose keys would be too short to be worth a table of their own.
//
// A rule filed under a set of one run (its anchor) comes with the position where that run
// would start in the address, so that the caller can confirm the run with one comparison
// there instead of searching the address for it.
//
// Immutable after Build; Candidates may run on any number of threads at once.
class CAdRuleIndex {
 public:
  using RunSet = std::vector<std::string>;

  // A rule that can match, with the position where its anchor would start, or kAnywhere.
  struct Candidate {
    uint32_t rule;
    uint32_t position;
    bool operator<(const Candidate& other) const {
      return rule != other.rule ? rule < other.rule : position < other.position;
    }
    bool operator==(const Candidate& other) const = default;
  };
  static constexpr uint32_t kAnywhere = UINT32_MAX;

  // Files rule i under one of the run sets of `rules[i]` (an empty vector: no literal is
  // certain). Returns for each rule its anchor: the run it was filed under when that was a
  // set of one run and the rule has a table entry; else empty.
  std::vector<std::string> Build(const std::vector<std::vector<RunSet>>& rules);

  // Appends the candidates of `text` to `out` (unordered; a rule may come several times).
  void Candidates(std::string_view text, std::vector<Candidate>& out) const;

  size_t AlwaysCount() const { return always_.size(); }
  size_t MemoryBytes() const;

 private:
  // Keys of one length: the rules filed under each key, with a bit filter in front that
  // rejects most positions of an address after one memory access.
  struct Entry {
    uint32_t rule;
    uint32_t back;  // how far the anchor starts before the key's last byte; kAnywhere: no anchor
  };
  struct Table {
    struct Slot {
      uint32_t key;
      uint32_t begin;  // into entries
      uint32_t count;  // 0: empty slot
    };
    std::vector<uint64_t> filter;
    std::vector<Slot> slots;
    std::vector<Entry> entries;
    int filter_shift = 0;
    int slot_shift = 0;

    bool Empty() const { return slots.empty(); }
    // `keyed` holds (key, entry) pairs.
    void Build(std::vector<std::pair<uint32_t, Entry>>& keyed);
    const Slot* Find(uint32_t key) const;
  };

  Table tables_[4];  // keys of 1, 2, 3 and 4 bytes
  std::vector<Candidate> always_;
};
