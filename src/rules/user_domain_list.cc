#include "rules/user_domain_list.h"

#include <algorithm>

#include "platform/code_page.h"
#include "platform/url_cache.h"

std::u16string CUserDomainList::NormaliseWebAddress(std::u16string_view text) {
  std::u16string site(text);
  std::erase(site, u' ');
  for (char16_t& c : site) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  for (std::u16string_view prefix : {u"http://", u"https://"}) {
    if (site.starts_with(prefix)) site.erase(0, prefix.size());
  }
  if (site.starts_with(u"www.")) site.erase(0, 4);
  return site.substr(0, site.find(u'/'));
}

bool CUserDomainList::Add(std::u16string_view text, bool) { return CMyList::Add(text, true); }

std::optional<std::u16string> CUserDomainList::Prepare(std::u16string_view text) {
  UrlCache::Current().Remove(text);
  if (text.find(u'.') == std::u16string_view::npos) return std::nullopt;
  return CMyList::Prepare(NormaliseWebAddress(text));
}

bool CUserDomainList::Add(std::string_view local, bool) { return Add(LocalToWide(local), true); }
