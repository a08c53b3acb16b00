#include "rules/word_filter.h"

#include <memory>
#include <vector>

#include "config/profile_values.h"
#include "platform/code_page.h"
#include "rules/list_files.h"
#include "rules/text_list.h"

CWordFilter::CWordFilter(bool is_black) : is_black_(is_black) { Rebuild(); }

void CWordFilter::Rebuild() {
  std::lock_guard lock(rebuild_mu_);
  std::vector<std::u16string> words;
  auto add_file = [&](const ListFile& file) {
    CMyList list(file);
    list.Load(true);
    std::shared_ptr<const CMyList::Items> entries = list.Entries();
    words.insert(words.end(), entries->begin(), entries->end());
  };
  if (is_black_) {
    add_file(list_files::kWord);
    add_file(list_files::kUserWord);
    if (ReadProfile(profile::kPowerfullFiltering) != 0) add_file(list_files::kStrictWord);
  } else {
    add_file(list_files::kWhiteWord);
  }
  keywords_.Publish(std::make_shared<const CKeywordSet>(words));
}

bool CWordFilter::Match(std::u16string_view text) const {
  if (text.empty()) return false;
  return keywords_.Read([&](const CKeywordSet& keywords) { return keywords.Match(text); });
}

bool CWordFilter::Match(std::string_view local) const {
  if (local.empty()) return false;
  return Match(std::u16string_view(LocalToWide(local)));
}

bool CWordFilter::Bans(std::u16string_view text, const CWordFilter* white) const {
  if (white == nullptr) return Match(text);
  if (text.empty()) return false;
  return keywords_.Read([&](const CKeywordSet& banned) {
    return white->keywords_.Read([&](const CKeywordSet& clearing) { return banned.MatchOutside(text, clearing); });
  });
}

bool CWordFilter::Bans(std::string_view local, const CWordFilter* white) const {
  if (local.empty()) return false;
  return Bans(std::u16string_view(LocalToWide(local)), white);
}

size_t CWordFilter::KeywordCount() const {
  return keywords_.Read([](const CKeywordSet& keywords) { return keywords.Size(); });
}
