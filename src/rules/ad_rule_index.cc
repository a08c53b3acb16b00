#include "rules/ad_rule_index.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <tuple>

namespace {

constexpr uint32_t kMask[5] = {0, 0xFFu, 0xFFFFu, 0xFFFFFFu, 0xFFFFFFFFu};

// A shorter key is found in far more addresses than a longer one; these factors weigh
// that against how many rules share a key when a rule's key is chosen.
constexpr double kLengthCost[5] = {0, 4096, 256, 16, 1};

// Keys of a length that fewer rules than this use are not worth a table: those rules are
// candidates everywhere instead.
constexpr size_t kMinTableEntries = 16;

uint32_t Hash(uint32_t key) { return key * 0x9E3779B1u; }

// The key of the `length` bytes at `at`, as the rolling window in Candidates builds it.
uint32_t KeyOf(std::string_view text, size_t at, size_t length) {
  uint32_t key = 0;
  for (size_t i = 0; i < length; ++i) key = (key << 8) | static_cast<unsigned char>(text[at + i]);
  return key;
}

// Size of the table that counts how often keys occur among the rules.
constexpr int kCountBits = 21;

int ShiftFor(size_t entries) { return 32 - std::countr_zero(std::bit_ceil(std::max<size_t>(entries, 16))); }

}  // namespace

void CAdRuleIndex::Table::Build(std::vector<std::pair<uint32_t, Entry>>& keyed) {
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return std::tie(a.first, a.second.rule, a.second.back) < std::tie(b.first, b.second.rule, b.second.back);
  });
  size_t keys = 0;
  for (size_t i = 0; i < keyed.size(); ++i) keys += i == 0 || keyed[i].first != keyed[i - 1].first;

  slot_shift = ShiftFor(keys * 2);
  slots.assign(size_t{1} << (32 - slot_shift), Slot{0, 0, 0});
  // About sixteen filter bits per key: few positions of an address pass the filter without
  // holding a key, and the slots, which are far larger, are rarely touched in vain.
  filter_shift = ShiftFor(std::clamp<size_t>(keys * 16, 1024, size_t{1} << 21));
  filter.assign((size_t{1} << (32 - filter_shift)) / 64, 0);
  entries.clear();
  entries.reserve(keyed.size());

  for (size_t i = 0; i < keyed.size();) {
    uint32_t key = keyed[i].first;
    Slot slot{key, static_cast<uint32_t>(entries.size()), 0};
    for (; i < keyed.size() && keyed[i].first == key; ++i, ++slot.count) entries.push_back(keyed[i].second);
    uint32_t hash = Hash(key);
    uint32_t at = hash >> filter_shift;
    filter[at / 64] |= uint64_t{1} << (at % 64);
    size_t index = hash >> slot_shift;
    while (slots[index].count != 0) index = (index + 1) & (slots.size() - 1);
    slots[index] = slot;
  }
}

const CAdRuleIndex::Table::Slot* CAdRuleIndex::Table::Find(uint32_t key) const {
  uint32_t hash = Hash(key);
  uint32_t at = hash >> filter_shift;
  if ((filter[at / 64] & (uint64_t{1} << (at % 64))) == 0) return nullptr;
  for (size_t index = hash >> slot_shift; slots[index].count != 0; index = (index + 1) & (slots.size() - 1)) {
    if (slots[index].key == key) return &slots[index];
  }
  return nullptr;
}

std::vector<std::string> CAdRuleIndex::Build(const std::vector<std::vector<RunSet>>& rules) {
  // How often each key of one to four bytes occurs in the runs of all rules: a key shared
  // by many rules is likely common in addresses too ("http", ".com", "/ads", "?"). The
  // counts steer a choice only, so a hashed table whose collisions add a little is enough.
  // The table grows with the keys to count, up to its full size for a whole list: a list
  // of a few rules (a user's own, a test's) is not charged megabytes for it.
  size_t occurrences = 0;
  for (const std::vector<RunSet>& sets : rules) {
    for (const RunSet& set : sets) {
      for (const std::string& run : set) occurrences += 4 * run.size();
    }
  }
  const int count_bits = std::clamp(static_cast<int>(std::bit_width(occurrences * 4)), 10, kCountBits);
  std::vector<uint32_t> counts(size_t{1} << count_bits, 0);
  auto slot = [count_bits](size_t length, uint32_t key) {
    return Hash(key ^ static_cast<uint32_t>(length * 0x01000193u)) >> (32 - count_bits);
  };
  for (const std::vector<RunSet>& sets : rules) {
    for (const RunSet& set : sets) {
      for (const std::string& run : set) {
        for (size_t length = 1; length <= std::min<size_t>(4, run.size()); ++length) {
          for (size_t at = 0; at + length <= run.size(); ++at) ++counts[slot(length, KeyOf(run, at, length))];
        }
      }
    }
  }
  auto shared = [&](size_t length, uint32_t key) { return counts[slot(length, key)]; };

  struct Choice {
    size_t length;
    uint32_t key;
    uint32_t back;
  };
  std::vector<std::string> anchors(rules.size());
  std::vector<std::pair<uint32_t, Entry>> keyed[4];
  std::vector<std::vector<Choice>> chosen(rules.size());
  for (uint32_t rule = 0; rule < rules.size(); ++rule) {
    double best_cost = std::numeric_limits<double>::infinity();
    const RunSet* best_set = nullptr;
    for (const RunSet& set : rules[rule]) {
      double cost = 0;
      std::vector<Choice> choices;
      for (const std::string& run : set) {
        size_t length = std::min<size_t>(4, run.size());
        double run_cost = std::numeric_limits<double>::infinity();
        Choice run_choice{length, 0, 0};
        for (size_t at = 0; at + length <= run.size(); ++at) {
          uint32_t key = KeyOf(run, at, length);
          double key_cost = kLengthCost[length] * shared(length, key);
          if (key_cost < run_cost) {
            run_cost = key_cost;
            run_choice = {length, key, static_cast<uint32_t>(at + length - 1)};
          }
        }
        cost += run_cost;
        choices.push_back(run_choice);
      }
      if (!choices.empty() && cost < best_cost) {
        best_cost = cost;
        best_set = &set;
        chosen[rule] = std::move(choices);
      }
    }
    if (best_set != nullptr && best_set->size() == 1) anchors[rule] = best_set->front();
    for (const Choice& choice : chosen[rule]) {
      uint32_t back = anchors[rule].empty() ? kAnywhere : choice.back;
      keyed[choice.length - 1].emplace_back(choice.key, Entry{rule, back});
    }
  }

  always_.clear();
  for (int i = 0; i < 4; ++i) {
    tables_[i] = Table{};
    if (keyed[i].size() < kMinTableEntries) {
      for (const auto& [key, entry] : keyed[i]) always_.push_back({entry.rule, kAnywhere});
    } else {
      tables_[i].Build(keyed[i]);
    }
  }
  for (uint32_t rule = 0; rule < rules.size(); ++rule) {
    if (chosen[rule].empty()) always_.push_back({rule, kAnywhere});
  }
  std::sort(always_.begin(), always_.end());
  always_.erase(std::unique(always_.begin(), always_.end()), always_.end());
  // A rule that has no entry of its own is searched everywhere, without its anchor.
  for (const Candidate& candidate : always_) anchors[candidate.rule].clear();
  return anchors;
}

void CAdRuleIndex::Candidates(std::string_view text, std::vector<Candidate>& out) const {
  const Table* active[4];
  uint32_t lengths[4];
  int count = 0;
  for (int i = 3; i >= 0; --i) {
    if (!tables_[i].Empty()) {
      active[count] = &tables_[i];
      lengths[count++] = static_cast<uint32_t>(i + 1);
    }
  }
  uint32_t window = 0;
  for (uint32_t i = 0; i < text.size(); ++i) {
    window = (window << 8) | static_cast<unsigned char>(text[i]);
    for (int t = 0; t < count; ++t) {
      if (i + 1 < lengths[t]) continue;
      const Table::Slot* slot = active[t]->Find(window & kMask[lengths[t]]);
      if (slot == nullptr) continue;
      for (uint32_t e = slot->begin; e < slot->begin + slot->count; ++e) {
        const Entry& entry = active[t]->entries[e];
        if (entry.back == kAnywhere) {
          out.push_back({entry.rule, kAnywhere});
        } else if (entry.back <= i) {
          out.push_back({entry.rule, i - entry.back});
        }
      }
    }
  }
  out.insert(out.end(), always_.begin(), always_.end());
}

size_t CAdRuleIndex::MemoryBytes() const {
  size_t bytes = sizeof(*this) + always_.capacity() * sizeof(Candidate);
  for (const Table& table : tables_) {
    bytes += table.filter.capacity() * sizeof(uint64_t) + table.slots.capacity() * sizeof(Table::Slot) +
             table.entries.capacity() * sizeof(Entry);
  }
  return bytes;
}
