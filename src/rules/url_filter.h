#pragma once

#include <optional>

#include "rules/text_list.h"

// The host-keyword list: a host is caught when any of its keywords occurs in it as a word
// of its own. Besides its own entries it checks `extra keywords`, the dot-less entries of
// the shipped black site list, which the proxy refreshes whenever it reloads its site lists.
//
// Host names run words together ("expertsexchange", "essex"), so a plain substring would
// catch ordinary names. The ordinary words (Data\URLFilterWhite.kezo, words of ordinary
// host names that hold a keyword: "essex", "sexchange", "analytics") mark where a keyword is
// only part of another word: an occurrence of a keyword that lies inside an occurrence of an
// ordinary word does not count, while another occurrence in the same host still does.
//
// Thread safety as CMyList; the extra keywords and the ordinary words are swapped as a whole
// as well.
class CURLFilter : public CMyList {
 public:
  using CMyList::CMyList;

  // True when an entry of the list, or else an extra keyword, is a substring of `host`
  // (local code page) outside every ordinary word, compared case-sensitively.
  bool Match(std::string_view host) const { return FindKeyword(host).has_value(); }
  // The keyword that Match finds first (the list's own entries before the extra keywords).
  std::optional<std::u16string> FindKeyword(std::string_view host) const;

  // Makes every entry of `black_entries` (those of the shipped black site list) without a
  // "." an extra keyword, replacing the previous extra keywords.
  void FillExtraKeywords(const Items& black_entries);

  std::shared_ptr<const Items> ExtraKeywords() const { return extra_keywords_.Get(); }

  // Loads the ordinary words from their list file, replacing the previous ones (a missing
  // file leaves none: every occurrence of a keyword counts).
  void LoadOrdinaryWords();

 private:
  Snapshot<Items> extra_keywords_;
  Snapshot<Items> ordinary_words_;
};
