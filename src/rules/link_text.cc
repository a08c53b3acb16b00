#include "rules/link_text.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int kMaxMarkupRemovals = 10000;

// The units after `attribute` (skipping the attribute name, '=' and the opening quote) up
// to the next double quote; nothing when the attribute or the closing quote is missing.
void AppendAttribute(std::u16string& out, std::u16string_view tag, std::u16string_view attribute) {
  size_t at = tag.find(attribute);
  if (at == std::u16string_view::npos) return;
  size_t start = at + attribute.size() + 1;
  if (start > tag.size()) return;
  size_t end = tag.find(u'"', start);
  if (end != std::u16string_view::npos) out.append(tag.substr(start, end - start));
}

// Removes markup as repeatedly erasing, from the first ">" back to the last "<" before it,
// would (at most kMaxMarkupRemovals times; a ">" with no "<" before it ends the removal),
// but in one pass: a page cannot make this quadratic with one enormous anchor.
std::u16string WithoutMarkup(std::u16string_view text) {
  std::u16string out;
  std::vector<size_t> open_positions;  // of each "<" still in `out`
  int removals = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'>') {
      if (removals == kMaxMarkupRemovals || open_positions.empty()) {
        out.append(text.substr(i));
        break;
      }
      out.resize(open_positions.back());
      open_positions.pop_back();
      ++removals;
      continue;
    }
    if (c == u'<') open_positions.push_back(out.size());
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::u16string LinkText(std::u16string_view anchor) {
  size_t open_end = anchor.find(u'>');
  if (anchor.empty() || open_end == std::u16string_view::npos) return {};
  size_t close = anchor.find(u"/a>", open_end);
  if (close == std::u16string_view::npos || close == open_end + 1) return {};
  // The inner text ends at the "<" that begins "</a>".
  std::u16string inner(anchor.substr(open_end + 1, close - 1 - (open_end + 1)));

  std::u16string result;
  size_t image = inner.find(u"<img ");
  if (image != std::u16string::npos) {
    size_t tag_end = inner.find(u'>', image);
    std::u16string_view tag = std::u16string_view(inner).substr(
        image, tag_end == std::u16string::npos ? std::u16string::npos : tag_end + 1 - image);
    AppendAttribute(result, tag, u"alt=");
    AppendAttribute(result, tag, u"title=");
  }

  result += WithoutMarkup(inner);
  std::erase_if(result, [](char16_t c) { return c == u'\r' || c == u'\n' || c == u'\t'; });
  return result;
}
