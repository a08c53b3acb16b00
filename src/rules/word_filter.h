#pragma once

#include <cstddef>
#include <mutex>
#include <string_view>

#include "base/snapshot.h"
#include "rules/keyword_set.h"

// The keyword matcher: whether a short text (a request's decoded address, a link's text, a
// window title) holds any keyword of its set.
//
// Two instances live for the program's life. The black filter holds the banned words of
// Data\word.kezo and Data\UserWord.kezo, plus Data\StrictWord.kezo while the setting
// PowerfullFiltering is on; the white filter holds the words of Data\whiteword.kezo:
// ordinary words that run into a banned word. Callers judge a text with the black filter's
// Bans, where a white word clears only the banned words it overlaps. Keywords are exact UTF-16 code-unit sequences (see CKeywordSet); a missing
// word file contributes nothing, and an empty set matches nothing.
//
// Thread safety: Match runs on any number of threads at once, also while another thread
// rebuilds the same filter: Rebuild reads the files and builds the new tables aside, then
// publishes them at once, so a Match sees the old or the new keywords, whole. Rebuild
// calls serialise among themselves.
class CWordFilter {
 public:
  // Builds the filter from its word files at once.
  explicit CWordFilter(bool is_black);

  // Re-reads the word files of this filter (and, for the black one, the setting
  // PowerfullFiltering) and replaces the keywords.
  void Rebuild();

  // Whether some keyword occurs as a contiguous run of units in `text`; false for an empty
  // text.
  bool Match(std::u16string_view text) const;
  // The same for text in the local code page.
  bool Match(std::string_view local) const;

  // Whether `text` holds a keyword of this filter that no word of `white` overlaps (see
  // CKeywordSet::MatchOutside); without a white filter, the same as Match.
  bool Bans(std::u16string_view text, const CWordFilter* white) const;
  bool Bans(std::string_view local, const CWordFilter* white) const;

  bool IsBlack() const { return is_black_; }
  size_t KeywordCount() const;

 private:
  const bool is_black_;
  std::mutex rebuild_mu_;
  Snapshot<CKeywordSet> keywords_;
};
