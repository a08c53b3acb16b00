// kezo-classify: tells, for addresses read from standard input, what the proxy would do
// with a request for each and which check decided, using the program's data files and the
// user's settings exactly as the running proxy does, without any network use.
//
// Input: one address per line, optionally followed by a tab and the Referer address.
// Output: one line per address: the verdict, the deciding check and the address,
// separated by tabs, and, for a request that would be connected to another name than its
// own (a search engine's safe-search endpoint), a fourth field "connect:NAME".
#include <cstdio>
#include <iostream>
#include <string>

#include "config/settings.h"
#include "platform/program_folder.h"
#include "platform/sockets.h"
#include "proxy/canonical_host.h"
#include "proxy/proxy_config.h"
#include "rules/shared_lists.h"
#include "rules/word_filter.h"

namespace {

const char* VerdictName(RequestVerdict verdict) {
  switch (verdict) {
    case RequestVerdict::kDrop: return "Drop";
    case RequestVerdict::kBlockPage: return "BlockPage";
    case RequestVerdict::kBlankImage: return "BlankImage";
    case RequestVerdict::kPassWhite: return "PassWhite";
    case RequestVerdict::kPassFiltered: return "PassFiltered";
  }
  return "?";
}

}  // namespace

int main() {
  if (!StartSockets() || !EnterProgramFolder()) {
    std::fprintf(stderr, "kezo-classify: cannot start in the program folder\n");
    return 1;
  }
  std::ios::sync_with_stdio(false);
  TheSetup().LoadSetup();
  CWordFilter black(true), white(false);
  CProxyConfig config(TheSharedLists());
  config.SetWordFilters(&black, &white);
  config.Load();

  std::string line, out;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t tab = line.find('\t');
    std::string url = line.substr(0, tab);
    std::string referer = tab == std::string::npos ? "" : RefererHost("Referer: " + line.substr(tab + 1) + "\r\n");
    CProxyConfig::Judgement judgement = config.Judge(url, SplitUrl(url), referer, true);
    out.assign(VerdictName(judgement.verdict)).append("\t").append(judgement.check);
    if (!judgement.detail.empty()) out.append(":").append(judgement.detail);
    out.append("\t").append(url);
    std::string host = CanonicalHost(SplitUrl(url).host);
    if (std::string_view upstream = config.UpstreamName(host); upstream != host) out.append("\tconnect:").append(upstream);
    out.push_back('\n');
    std::fwrite(out.data(), 1, out.size(), stdout);
  }
  return 0;
}
