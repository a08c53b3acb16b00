#include "rules/keyword_set.h"

#include <algorithm>
#include <bit>
#include <tuple>

namespace {

uint32_t PairOf(char16_t first, char16_t second) {
  return (static_cast<uint32_t>(first) << 16) | static_cast<uint32_t>(second);
}

}  // namespace

CKeywordSet::CKeywordSet(const std::vector<std::u16string>& keywords) {
  std::vector<std::u16string_view> distinct(keywords.begin(), keywords.end());
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  distinct.erase(std::remove(distinct.begin(), distinct.end(), std::u16string_view()), distinct.end());
  size_ = distinct.size();

  std::vector<std::u16string_view> longer;
  for (std::u16string_view keyword : distinct) {
    if (keyword.find(u'\uFFFF') != std::u16string_view::npos) continue;
    if (keyword.size() == 1) {
      single_units_.set(keyword[0]);
      has_single_units_ = true;
    } else {
      longer.push_back(keyword);
    }
  }
  std::sort(longer.begin(), longer.end(), [](std::u16string_view a, std::u16string_view b) {
    return std::make_tuple(PairOf(a[0], a[1]), a.size(), a) < std::make_tuple(PairOf(b[0], b[1]), b.size(), b);
  });

  size_t pairs = 0;
  for (size_t i = 0; i < longer.size(); ++i) {
    pairs += i == 0 || PairOf(longer[i][0], longer[i][1]) != PairOf(longer[i - 1][0], longer[i - 1][1]);
  }
  size_t slot_count = std::bit_ceil(std::max<size_t>(pairs * 2, 16));
  slot_shift_ = 32 - std::countr_zero(slot_count);
  slots_.assign(slot_count, Slot{0, 0, 0});
  pair_filter_.assign((size_t{1} << kFilterBits) / 64, 0);
  keywords_.reserve(longer.size());

  for (size_t i = 0; i < longer.size();) {
    uint32_t pair = PairOf(longer[i][0], longer[i][1]);
    Slot slot{pair, static_cast<uint32_t>(keywords_.size()), 0};
    for (; i < longer.size() && PairOf(longer[i][0], longer[i][1]) == pair; ++i, ++slot.count) {
      keywords_.push_back({static_cast<uint32_t>(units_.size()), static_cast<uint32_t>(longer[i].size())});
      units_.append(longer[i]);
    }
    uint32_t bit = Hash(pair) >> (32 - kFilterBits);
    pair_filter_[bit / 64] |= uint64_t{1} << (bit % 64);
    size_t index = Hash(pair) >> slot_shift_;
    while (slots_[index].count != 0) index = (index + 1) & (slots_.size() - 1);
    slots_[index] = slot;
  }
}

const CKeywordSet::Slot* CKeywordSet::FindPair(uint32_t pair) const {
  for (size_t index = Hash(pair) >> slot_shift_; slots_[index].count != 0; index = (index + 1) & (slots_.size() - 1)) {
    if (slots_[index].pair == pair) return &slots_[index];
  }
  return nullptr;
}

template <typename Accept>
bool CKeywordSet::FindOccurrence(std::u16string_view text, Accept accept) const {
  const size_t length = text.size();
  if (has_single_units_) {
    for (size_t i = 0; i < length; ++i) {
      if (single_units_.test(text[i]) && accept(i, i + 1)) return true;
    }
  }
  if (keywords_.empty() || length < 2) return false;
  const uint64_t* filter = pair_filter_.data();
  for (size_t i = 0; i + 1 < length; ++i) {
    uint32_t pair = PairOf(text[i], text[i + 1]);
    uint32_t bit = Hash(pair) >> (32 - kFilterBits);
    if ((filter[bit / 64] & (uint64_t{1} << (bit % 64))) == 0) continue;
    const Slot* slot = FindPair(pair);
    if (slot == nullptr) continue;
    const size_t room = length - i;
    for (uint32_t k = slot->begin; k < slot->begin + slot->count; ++k) {
      const Keyword& keyword = keywords_[k];
      if (keyword.length > room) break;  // the rest are longer still
      if (std::equal(units_.begin() + keyword.offset + 2, units_.begin() + keyword.offset + keyword.length,
                     text.begin() + i + 2) &&
          accept(i, i + keyword.length)) {
        return true;
      }
    }
  }
  return false;
}

bool CKeywordSet::Match(std::u16string_view text) const {
  return FindOccurrence(text, [](size_t, size_t) { return true; });
}

bool CKeywordSet::MatchOutside(std::u16string_view text, const CKeywordSet& clearing) const {
  if (!Match(text)) return false;  // the usual case, and it needs no list of clearing words
  struct Span {
    size_t begin, end;
  };
  std::vector<Span> cleared;
  clearing.FindOccurrence(text, [&](size_t begin, size_t end) {
    cleared.push_back({begin, end});
    return false;
  });
  return FindOccurrence(text, [&](size_t begin, size_t end) {
    return std::none_of(cleared.begin(), cleared.end(),
                        [&](const Span& span) { return span.begin < end && begin < span.end; });
  });
}

size_t CKeywordSet::MemoryBytes() const {
  return sizeof(*this) + pair_filter_.capacity() * sizeof(uint64_t) + slots_.capacity() * sizeof(Slot) +
         keywords_.capacity() * sizeof(Keyword) + units_.capacity() * sizeof(char16_t);
}
