// How the proxy judges a request before anything is fetched: the checks run in one fixed
// order and the first that decides ends the judgement.
#include "platform/code_page.h"
#include "proxy/canonical_host.h"
#include "proxy/proxy_config.h"

namespace {

// The script folder of the share widget that pages of any site may load (the share
// service's host; the scheme and the /static/api folder are fixed).
constexpr std::string_view kShareWidgetPrefix = "http://share.veltra.example/static/api";

std::string_view BareHost(std::string_view host) { return host.starts_with("www.") ? host.substr(4) : host; }

// Domains that registries keep for adult sites: the adult top-level domains and the
// second-level ones of the public suffix list. Every name below them is refused.
constexpr std::string_view kAdultSuffixes[] = {"xxx", "porn", "sex", "adult", "sex.pl", "sex.hu", "szex.hu"};

bool UnderAdultSuffix(std::string_view host) {
  for (std::string_view suffix : kAdultSuffixes) {
    if (host.ends_with(suffix) && (host.size() == suffix.size() || host[host.size() - suffix.size() - 1] == '.')) {
      return true;
    }
  }
  return false;
}

// The first label of a registrable domain ("802sds" of www.802sds.com).
std::string_view RegistrableLabel(std::string_view base_domain) { return base_domain.substr(0, base_domain.find('.')); }

}  // namespace

bool CProxyConfig::AddressTextIsBanned(std::string_view url) const {
  // Only the non-ASCII characters take part, decoded both ways so that a search sent as
  // UTF-8 or as local double-byte text is seen either way. Each decoding is judged on its
  // own: run together, a misread first part could shift the second out of step.
  auto banned = [this](const std::string& text) {
    return black_filter_ != nullptr && black_filter_->Bans(std::string_view(text), white_filter_);
  };
  return banned(HighBytes(UrlDecodeToLocal(url))) || banned(HighBytes(UrlDecode(url)));
}

std::string_view CProxyConfig::ShippedBlackCheck(const std::string& base_domain, const std::string& bare_host) const {
  return black_domains_.Read([&](const CHostSet& black) -> std::string_view {
    if (black.Contains(base_domain)) return "shipped-black:base-domain";
    if (black.Contains(bare_host)) return "shipped-black:bare-host";
    if (base_domain.empty() || !bare_host.ends_with(base_domain)) return {};
    std::string_view parent(bare_host);
    while (true) {
      size_t dot = parent.find('.');
      if (dot == std::string_view::npos) return {};
      parent.remove_prefix(dot + 1);
      if (parent.size() <= base_domain.size()) return {};
      if (black.Contains(parent)) return "shipped-black:parent-domain";
    }
  });
}

std::string_view CProxyConfig::InferredBlackCheck(const std::string& base_domain) const {
  std::string_view label = RegistrableLabel(base_domain);
  if (label.empty()) return {};
  std::string shape = LabelShape(label);
  if (black_families_.Read([&](const CHostSet& families) { return families.Contains(shape); })) return "mirror-family";
  if (host_words_.Read([&](const CHostWords& words) { return words.ReadsAsAdult(label); })) return "weak-words";
  return {};
}

bool CProxyConfig::NamedBySiteLists(const std::string& base_domain, const std::string& bare_host) const {
  if (UnderAdultSuffix(bare_host)) return true;
  if (lists_.userBlackDomains.Contains(base_domain) || lists_.userBlackDomains.Contains(bare_host)) return true;
  if (!ShippedBlackCheck(base_domain, bare_host).empty() || !InferredBlackCheck(base_domain).empty()) return true;
  return lists_.urlFilter.Match(bare_host) || (smart_threshold_ > 0 && learned_sites_.Contains(bare_host));
}

bool CProxyConfig::RefererMayWhiteList(std::string_view referer_host, const std::string& base_domain,
                                       const std::string& bare_host) const {
  if (referer_host.empty()) return false;
  bool white_referer = lists_.userWhiteDomains.Contains(referer_host) || white_domains_.Contains(referer_host);
  return white_referer && !NamedBySiteLists(base_domain, bare_host);
}

CProxyConfig::Judgement CProxyConfig::Judge(std::string_view url, const UrlParts& parts, std::string_view referer_host,
                                            bool explain) const {
  using enum RequestVerdict;
  if (setup_.FilterAddress && AddressTextIsBanned(url)) return {kDrop, "address-text", {}};

  std::string host = CanonicalHost(parts.host);
  std::string referer_canonical = CanonicalHost(referer_host);
  referer_host = referer_canonical;
  std::string base_domain = BaseDomain(host);
  std::string bare_host(BareHost(host));
  std::string_view white;
  if (lists_.userWhiteDomains.Contains(base_domain)) {
    white = "user-white:base-domain";
  } else if (lists_.userWhiteDomains.Contains(bare_host)) {
    white = "user-white:bare-host";
  } else if (white_domains_.Contains(bare_host)) {
    white = "shipped-white:bare-host";
  } else if (RefererMayWhiteList(referer_host, base_domain, bare_host)) {
    white = lists_.userWhiteDomains.Contains(referer_host) ? "user-white:referer" : "shipped-white:referer";
  } else if (url.find(kShareWidgetPrefix) != std::string_view::npos) {
    white = "share-widget";
  }

  if (setup_.IsOnlyWhiteList() == 1 && white.empty()) {
    bool https = parts.port == 443;
    if ((setup_.EnableHTTPS && https) || (setup_.EnableHTTP && !https)) return {kBlockPage, "only-white-list", {}};
  }

  // A white request skips the image and site checks but still meets the ad rules.
  if (white.empty()) {
    if (image_urls_.Contains(url)) return {kBlankImage, "image-list", {}};
    if (setup_.ManualFilterImage && lists_.urlList.Contains(url)) return {kBlankImage, "manual-image-list", {}};
    if (UnderAdultSuffix(bare_host)) return {kBlockPage, "adult-domain", {}};
    if (explain) {
      if (std::optional<std::u16string> keyword = lists_.urlFilter.FindKeyword(bare_host)) {
        return {kBlockPage, "url-keyword", WideToUtf8(*keyword)};
      }
    } else if (lists_.urlFilter.Match(bare_host)) {
      return {kBlockPage, "url-keyword", {}};
    }
    if (lists_.userBlackDomains.Contains(base_domain)) return {kBlockPage, "user-black:base-domain", {}};
    if (lists_.userBlackDomains.Contains(bare_host)) return {kBlockPage, "user-black:bare-host", {}};
    if (std::string_view check = ShippedBlackCheck(base_domain, bare_host); !check.empty()) return {kBlockPage, check, {}};
    if (std::string_view check = InferredBlackCheck(base_domain); !check.empty()) return {kBlockPage, check, {}};
    if (smart_threshold_ > 0 && learned_sites_.Contains(bare_host)) return {kBlockPage, "learned-site", {}};
  }

  if (setup_.FilterAD && AdFilter().Check(url, "", bare_host) == AdVerdict::kBlock) {
    return {kBlankImage, "ad-rule", explain ? WideToUtf8(AdFilter().Explain(url, bare_host).line) : std::string()};
  }
  return {white.empty() ? kPassFiltered : kPassWhite, white, {}};
}
