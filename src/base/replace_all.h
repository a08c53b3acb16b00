#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of `from` in `text` with `to`, left to right; the search goes
// on after each inserted text, so a `to` that contains `from` is not expanded again. Does
// nothing when `from` is empty. Returns the number of replacements.
template <typename Char>
size_t ReplaceEvery(std::basic_string<Char>& text, std::basic_string_view<Char> from,
                    std::basic_string_view<Char> to) {
  if (from.empty()) return 0;
  size_t at = text.find(from);
  if (at == std::basic_string<Char>::npos) return 0;
  std::basic_string<Char> out;
  size_t start = 0, count = 0;
  for (; at != std::basic_string<Char>::npos; at = text.find(from, start), ++count) {
    out.append(text, start, at - start);
    out.append(to);
    start = at + from.size();
  }
  out.append(text, start, std::basic_string<Char>::npos);
  text.swap(out);
  return count;
}

// Replaces, in one pass from left to right, each occurrence of any `from` of `pairs` (a
// range of {from, to}) with its `to`. Where two could start at one place, the first in
// `pairs` wins. Inserted text is never searched again, so a replacement that equals
// another pair's `from` stays as it was inserted. Empty `from`s are ignored.
template <typename Char, typename Pairs>
std::basic_string<Char> ReplaceEachInOnePass(std::basic_string_view<Char> text, const Pairs& pairs) {
  std::basic_string<Char> out;
  size_t at = 0;
  while (at < text.size()) {
    bool replaced = false;
    for (const auto& [from, to] : pairs) {
      std::basic_string_view<Char> pattern(from);
      if (!pattern.empty() && text.substr(at, pattern.size()) == pattern) {
        out.append(to);
        at += pattern.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out.push_back(text[at++]);
  }
  return out;
}
