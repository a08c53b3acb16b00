#include "rules/url_filter.h"

#include <algorithm>

#include "platform/code_page.h"

namespace {

bool AnyOccursIn(const CMyList::Items& keywords, std::u16string_view host) {
  return std::any_of(keywords.begin(), keywords.end(),
                     [&](const std::u16string& keyword) { return host.find(keyword) != std::u16string_view::npos; });
}

}  // namespace

bool CURLFilter::Match(std::string_view host) const {
  std::u16string wide_host = LocalToWide(host);
  auto occurs_in = [&](const Items& keywords) { return AnyOccursIn(keywords, wide_host); };
  return ReadEntries(occurs_in) || extra_keywords_.Read(occurs_in);
}

void CURLFilter::FillExtraKeywords(const CMyList& black_domains) {
  auto keywords = std::make_shared<Items>();
  for (const std::u16string& entry : *black_domains.Entries()) {
    if (entry.find(u'.') == std::u16string::npos) keywords->push_back(entry);
  }
  extra_keywords_.Publish(std::move(keywords));
}
