#include "proxy/safe_search.h"

#include <string>

#include "proxy/public_suffix.h"

namespace {

struct Endpoint {
  std::string_view host;
  std::string_view safe;
};

constexpr std::string_view kGoogleSafe = "forcesafesearch.google.com";

constexpr Endpoint kEndpoints[] = {
    {"youtube.com", "restrict.youtube.com"},
    {"www.youtube.com", "restrict.youtube.com"},
    {"m.youtube.com", "restrict.youtube.com"},
    {"youtubei.googleapis.com", "restrict.youtube.com"},
    {"youtube.googleapis.com", "restrict.youtube.com"},
    {"www.youtube-nocookie.com", "restrict.youtube.com"},
    {"bing.com", "strict.bing.com"},
    {"www.bing.com", "strict.bing.com"},
    {"cn.bing.com", "strict.bing.com"},
    {"duckduckgo.com", "safe.duckduckgo.com"},
    {"www.duckduckgo.com", "safe.duckduckgo.com"},
    {"start.duckduckgo.com", "safe.duckduckgo.com"},
    {"html.duckduckgo.com", "safe.duckduckgo.com"},
};

// google.com, google.co.uk, google.com.hk, ... and their www. hosts: Google's search in
// each country (its other hosts, mail or maps, are left alone).
bool IsGoogleSearch(std::string_view host) {
  std::string_view domain = RegistrableDomain(host);
  if (!domain.starts_with("google.")) return false;
  return host.size() == domain.size() || host == std::string("www.").append(domain);
}

}  // namespace

std::string_view SafeSearchEndpoint(std::string_view host) {
  for (const Endpoint& endpoint : kEndpoints) {
    if (host == endpoint.host) return endpoint.safe;
  }
  return IsGoogleSearch(host) ? kGoogleSafe : std::string_view();
}
