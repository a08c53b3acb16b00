#pragma once

#include <string_view>

// Safe search without decrypting anything: the big search engines and video sites publish
// addresses that serve only their safe results, under names of their own. A request or a
// tunnel for one of their hosts is connected to those addresses, while the browser keeps
// talking to the name it asked for (the same certificate and Host line).
//
// The name whose addresses a request for `host` (canonical, CanonicalHost) connects to:
// forcesafesearch.google.com for Google's search hosts in every country (google.com,
// www.google.co.uk, ...), restrict.youtube.com for YouTube's, strict.bing.com for Bing's,
// safe.duckduckgo.com for DuckDuckGo's. Empty for every other host. Pure and thread-safe.
std::string_view SafeSearchEndpoint(std::string_view host);
