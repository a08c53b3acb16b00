#pragma once

#include "rules/text_list.h"

// A list of site names that a user types: what is added is first cleaned up as a web
// address (scheme, "www." and path dropped, spaces removed, lower case), and any cached
// copy of the address as typed is dropped so the site is fetched through the filter again.
// Thread safety as CMyList.
class CUserDomainList : public CMyList {
 public:
  using CMyList::CMyList;

  // Normalises `text` (NormaliseWebAddress) and adds it sorted. Returns false for a text
  // without any "." and for whatever CMyList::Add refuses. The `sort` flag is ignored: a
  // site list always stays sorted (AddMany should be given sort = true for the same reason).
  bool Add(std::u16string_view text, bool sort) override;
  bool Add(std::string_view local, bool sort) override;

  // The site name in a typed address: spaces removed, ASCII letters in lower case, a
  // leading "http://" or "https://" and then a leading "www." dropped, and everything from
  // the first "/" on cut off.
  static std::u16string NormaliseWebAddress(std::u16string_view text);

 protected:
  // Drops the cached copy of the address as typed, refuses a text without any ".", and
  // normalises the rest before the list's own checks.
  std::optional<std::u16string> Prepare(std::u16string_view text) override;
};
