#include "rules/url_filter.h"

#include "platform/code_page.h"

namespace {

std::optional<std::u16string> FirstOccurringIn(const CMyList::Items& keywords, std::u16string_view host) {
  for (const std::u16string& keyword : keywords) {
    if (host.find(keyword) != std::u16string_view::npos) return keyword;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::u16string> CURLFilter::FindKeyword(std::string_view host) const {
  std::u16string wide_host = LocalToWide(host);
  auto first_in = [&](const Items& keywords) { return FirstOccurringIn(keywords, wide_host); };
  if (auto keyword = ReadEntries(first_in)) return keyword;
  return extra_keywords_.Read(first_in);
}

void CURLFilter::FillExtraKeywords(const Items& black_entries) {
  auto keywords = std::make_shared<Items>();
  for (const std::u16string& entry : black_entries) {
    if (entry.find(u'.') == std::u16string::npos) keywords->push_back(entry);
  }
  extra_keywords_.Publish(std::move(keywords));
}
