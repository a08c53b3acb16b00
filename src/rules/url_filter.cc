#include "rules/url_filter.h"

#include "platform/code_page.h"

namespace {

// Whether the occurrence of `keyword` at `at` in `host` lies inside an occurrence of one of
// `ordinary_words`.
bool InsideAnOrdinaryWord(std::u16string_view host, size_t at, std::u16string_view keyword,
                          const CMyList::Items& ordinary_words) {
  for (const std::u16string& word : ordinary_words) {
    for (size_t offset = word.find(keyword); offset != std::u16string::npos; offset = word.find(keyword, offset + 1)) {
      if (offset <= at && host.substr(at - offset, word.size()) == word) return true;
    }
  }
  return false;
}

std::optional<std::u16string> FirstOccurringIn(const CMyList::Items& keywords, std::u16string_view host,
                                               const CMyList::Items& ordinary_words) {
  for (const std::u16string& keyword : keywords) {
    if (keyword.empty()) continue;
    for (size_t at = host.find(keyword); at != std::u16string_view::npos; at = host.find(keyword, at + 1)) {
      if (!InsideAnOrdinaryWord(host, at, keyword, ordinary_words)) return keyword;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::u16string> CURLFilter::FindKeyword(std::string_view host) const {
  std::u16string wide_host = LocalToWide(host);
  std::shared_ptr<const Items> ordinary_words = ordinary_words_.Get();
  auto first_in = [&](const Items& keywords) { return FirstOccurringIn(keywords, wide_host, *ordinary_words); };
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

void CURLFilter::LoadOrdinaryWords() {
  CMyList words(list_files::kURLFilterWhite);
  words.Load(true);
  ordinary_words_.Publish(words.Entries());
}
