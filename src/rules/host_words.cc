#include "rules/host_words.h"

#include <algorithm>

#include "platform/code_page.h"
#include "rules/list_files.h"
#include "rules/text_list.h"

namespace {

int LetterIndex(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a';
  if (c >= '0' && c <= '9') return 26 + (c - '0');
  if (c == '-') return 36;
  if (c == '_') return 37;
  return -1;
}

std::vector<std::string> Words(const ListFile& file) {
  CMyList list(file);
  list.Load(false);
  std::vector<std::string> words;
  for (const std::u16string& entry : *list.Entries()) words.push_back(WideToUtf8(entry));
  return words;
}

}  // namespace

CHostWords::CHostWords(const std::vector<std::string>& weak, const std::vector<std::string>& companions,
                       const std::vector<std::string>& ordinary) {
  nodes_.emplace_back();
  for (const std::string& word : companions) Add(word, Kind::kCompanion);
  for (const std::string& word : weak) Add(word, Kind::kWeak);
  // Last, so that a word listed as ordinary stays ordinary whatever else lists it.
  for (const std::string& word : ordinary) Add(word, Kind::kOrdinary);
}

CHostWords::Ptr CHostWords::Load() {
  return std::make_shared<const CHostWords>(Words(list_files::kHostWeakWords), Words(list_files::kHostCompanionWords),
                                            Words(list_files::kURLFilterWhite));
}

void CHostWords::Add(std::string_view word, Kind kind) {
  if (word.empty() || !std::all_of(word.begin(), word.end(), [](char c) { return LetterIndex(c) >= 0; })) return;
  uint32_t node = 0;
  for (char c : word) {
    uint32_t& next = nodes_[node].next[LetterIndex(c)];
    if (next == 0) {
      next = static_cast<uint32_t>(nodes_.size());
      nodes_.emplace_back();  // `next` is not used past this point: the vector may move
    }
    node = nodes_[node].next[LetterIndex(c)];
  }
  nodes_[node].kind = kind;
}

std::vector<CHostWords::Occurrence> CHostWords::Occurrences(std::string_view label) const {
  std::vector<Occurrence> found;
  for (size_t begin = 0; begin < label.size(); ++begin) {
    uint32_t node = 0;
    for (size_t end = begin; end < label.size(); ++end) {
      int letter = LetterIndex(label[end]);
      if (letter < 0 || (node = nodes_[node].next[letter]) == 0) break;
      if (nodes_[node].kind != Kind::kNone) found.push_back({begin, end + 1, nodes_[node].kind});
    }
  }
  return found;
}

bool CHostWords::ReadsAsAdult(std::string_view label) const {
  if (nodes_.empty()) return false;
  std::vector<Occurrence> found = Occurrences(label);
  auto inside_an_ordinary_word = [&](const Occurrence& word) {
    return std::any_of(found.begin(), found.end(), [&](const Occurrence& ordinary) {
      return ordinary.kind == Kind::kOrdinary && ordinary.begin <= word.begin && word.end <= ordinary.end;
    });
  };
  std::vector<Occurrence> words;
  for (const Occurrence& occurrence : found) {
    if (occurrence.kind != Kind::kOrdinary && !inside_an_ordinary_word(occurrence)) words.push_back(occurrence);
  }
  // The longer of overlapping words wins; of equal ones, the earlier.
  std::stable_sort(words.begin(), words.end(), [](const Occurrence& a, const Occurrence& b) {
    return a.end - a.begin > b.end - b.begin;
  });
  std::vector<Occurrence> read;
  for (const Occurrence& word : words) {
    bool overlaps = std::any_of(read.begin(), read.end(),
                                [&](const Occurrence& taken) { return word.begin < taken.end && taken.begin < word.end; });
    if (!overlaps) read.push_back(word);
  }
  bool weak = std::any_of(read.begin(), read.end(), [](const Occurrence& w) { return w.kind == Kind::kWeak; });
  if (!weak) return false;
  bool word_at_start = std::any_of(read.begin(), read.end(), [](const Occurrence& w) { return w.begin == 0; });
  bool x_marker = (label.starts_with('x') && !word_at_start) || label.find("xx") != std::string_view::npos;
  return read.size() >= 2 || x_marker;
}
