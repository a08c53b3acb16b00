#pragma once

#include <optional>

#include "rules/text_list.h"

// The host-keyword list: a host is caught when any of its keywords occurs anywhere in it.
// Besides its own entries it checks `extra keywords`, the dot-less entries of the shipped
// black site list, which the proxy refreshes whenever it reloads its site lists.
// Thread safety as CMyList; the extra keywords are swapped as a whole as well.
class CURLFilter : public CMyList {
 public:
  using CMyList::CMyList;

  // True when an entry of the list, or else an extra keyword, is a substring of `host`
  // (local code page), compared case-sensitively.
  bool Match(std::string_view host) const { return FindKeyword(host).has_value(); }
  // The keyword that Match finds first (the list's own entries before the extra keywords).
  std::optional<std::u16string> FindKeyword(std::string_view host) const;

  // Makes every entry of `black_entries` (those of the shipped black site list) without a
  // "." an extra keyword, replacing the previous extra keywords.
  void FillExtraKeywords(const Items& black_entries);

  std::shared_ptr<const Items> ExtraKeywords() const { return extra_keywords_.Get(); }

 private:
  Snapshot<Items> extra_keywords_;
};
