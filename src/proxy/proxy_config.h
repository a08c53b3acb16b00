#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "proxy/host_cache.h"
#include "proxy/memory_budget.h"
#include "proxy/page_rewrite.h"
#include "proxy/request_verdict.h"
#include "proxy/server_limits.h"
#include "proxy/url_helpers.h"
#include "rules/ad_filter.h"
#include "rules/host_set.h"
#include "rules/host_words.h"
#include "rules/page_assets.h"
#include "rules/shared_lists.h"
#include "rules/word_filter.h"

// What every connection of the proxy reads to decide what to do with its request and its
// page: the site and picture lists, the keyword filters, the smart-monitoring values, the
// host cache, the page pieces and the memory budget of the pages being filtered.
//
// Life: set the word filters and the control server's port, then Load() once before the
// first connection. The lists are reloaded in place (ReloadSiteLists, LoadSmartMonitoring)
// while connections read them; everything else stays as Load() made it.
//
// Thread safety: the judging methods are called by many connection threads at once; the
// reloads may run on any thread meanwhile. The lists may be changed by other threads.
class CProxyConfig {
 public:
  // A page with at most this many links is never refused by smart monitoring.
  static constexpr int kSmartMinimumLinks = 20;

  // A request's verdict and the check that decided it (empty for an ordinary filtered
  // pass); with an explanation asked for, `detail` names the keyword or the ad rule.
  struct Judgement {
    RequestVerdict verdict;
    std::string_view check;
    std::string detail;
  };

  // What smart monitoring does with a rewritten page.
  enum class PageJudgement {
    kDeliver,  // send the rewritten page
    kTipPage,  // refused: learn the site (LearnSite) and send the page that leads to the notice
    kDrop,     // refused without a notice: close both connections without sending anything
  };

  // `lists` and `setup` must outlive the configuration.
  explicit CProxyConfig(SharedLists& lists, SetupRecord& setup = TheSetup());
  ~CProxyConfig();
  CProxyConfig(const CProxyConfig&) = delete;
  CProxyConfig& operator=(const CProxyConfig&) = delete;

  // The keyword filters requests and links are judged with. Both must outlive the
  // configuration; set them before Load.
  void SetWordFilters(CWordFilter* black, CWordFilter* white) {
    black_filter_ = black;
    white_filter_ = white;
  }
  // The port of the control server, whose notice page smart monitoring sends refused
  // pages to and which the page script addresses. Set before Load.
  void SetControlServerPort(uint16_t port) { tip_port_ = port; }
  uint16_t ControlServerPort() const { return tip_port_; }

  // Loads the host cache, the lists and the page pieces, and sets up the budget that the
  // pages being filtered share (`page_memory_bytes`).
  void Load(size_t page_memory_bytes = ServerLimits{}.page_memory_bytes);
  // Loads the shipped and the user site lists again and refreshes the host keywords taken
  // from the shipped black list.
  void ReloadSiteLists();
  // Reads the smart-monitoring settings (threshold and tip switch) and loads the learned
  // and the released sites again.
  void LoadSmartMonitoring();
  // The banned share of a page's links, in percent, above which smart monitoring refuses
  // the page, for a slider position; 0 (off) for position 3.
  static int SmartMonitoringThreshold(int position);

  // Judges a request without sending anything: `url` as in the request line, `parts` its
  // split, `referer_host` the host of its Referer line. Needs Load. `explain` fills in the
  // detail, at some cost.
  Judgement Judge(std::string_view url, const UrlParts& parts, std::string_view referer_host,
                  bool explain = false) const;
  // The name whose addresses a request for `host` (canonical) is connected to: the search
  // engine's safe-search endpoint while safe search is on (SafeSearchEndpoint), else the
  // host itself.
  std::string_view UpstreamName(std::string_view host) const;

  // Whether the big pictures of a request for `url` of `host` (canonical), opened from a
  // page of `referer_host`, are replaced by the blank image.
  bool SuppressesPictures(std::string_view url, const std::string& host, const std::string& referer_host) const;
  // Whether the page script is told to hide that request's pictures itself.
  bool SendsNoImageScript(const std::string& host, const std::string& referer_host) const;
  // Smart monitoring's judgement of a rewritten page of `host` from its link counts.
  PageJudgement JudgePage(const std::string& host, const LinkCounts& links) const;
  // Adds `host` to the learned sites, which are refused from then on.
  void LearnSite(const std::string& host);

  // The block page and the blank image, read at their first use and kept.
  const std::string& BlockPage() const;
  const std::string& BlankImage() const;

  const CWordFilter* BlackFilter() const { return black_filter_; }
  const CWordFilter* WhiteFilter() const { return white_filter_; }
  CPageAssets* PageAssets() const { return page_assets_.get(); }
  SetupRecord& Setup() const { return setup_; }
  CMemoryBudget& PageBudget() const { return *page_budget_; }
  // Bytes of the memory budget that pages being filtered hold now.
  size_t PageMemoryInUse() const { return page_budget_ ? page_budget_->Used() : 0; }
  // Shared, because a connect may outlast the connection that asked for it.
  const std::shared_ptr<CHostCache>& HostCache() const { return host_cache_; }

 private:
  bool OnNoImageList(const std::string& host, const std::string& referer_host) const;
  // The check of the shipped black list that names the host, or empty: its registrable
  // domain, the bare host, or a parent domain between the two (so that an entry for
  // cdn.example.com also covers img.cdn.example.com).
  std::string_view ShippedBlackCheck(const std::string& base_domain, const std::string& bare_host) const;
  // The check that reads the host as an adult site's though no list names it, or empty:
  // its label has the shape of a family of the black list ("mirror-family": 802sds.com
  // among hundreds of "#sds" names, name.xyz beside a listed name.net and name.org), or
  // holds weak adult words in company ("weak-words", CHostWords).
  std::string_view InferredBlackCheck(const std::string& base_domain) const;
  // Whether a black site list, the host keywords, the inferred checks or the learned sites
  // name the host.
  bool NamedBySiteLists(const std::string& base_domain, const std::string& bare_host) const;
  // A page opened from a white site passes the site checks, unless the site it asks for is
  // itself named black: a black site found through a search engine is refused all the same.
  bool RefererMayWhiteList(std::string_view referer_host, const std::string& base_domain,
                           const std::string& bare_host) const;
  // Whether the non-ASCII text of a request address holds a banned word.
  bool AddressTextIsBanned(std::string_view url) const;
  // The ad rules take tens of megabytes once compiled and are only asked while FilterAD is
  // on (off by default): they are read and compiled at their first use.
  CAdFilter& AdFilter() const;

  SharedLists& lists_;
  SetupRecord& setup_;
  Snapshot<CHostSet> black_domains_;
  Snapshot<CHostSet> black_families_;
  Snapshot<CHostWords> host_words_;
  CMyList white_domains_{list_files::kWhiteDomain};
  CMyList image_urls_{list_files::kFilterImg};
  CMyList learned_sites_{list_files::kIntelligentDomain};
  CMyList released_sites_{list_files::kIntelligentWhiteDomain};
  std::atomic<int> smart_threshold_{0};
  std::atomic<int> smart_tip_{1};
  CWordFilter* black_filter_ = nullptr;
  CWordFilter* white_filter_ = nullptr;
  std::shared_ptr<CHostCache> host_cache_;
  std::unique_ptr<CMemoryBudget> page_budget_;
  std::unique_ptr<CPageAssets> page_assets_;
  std::atomic<uint16_t> tip_port_{809};

  // Made at their first use, by whichever connection needs them first.
  mutable std::once_flag ad_filter_once_;
  mutable std::unique_ptr<CAdFilter> ad_filter_;
  mutable std::once_flag block_page_once_, blank_image_once_;
  mutable std::string block_page_, blank_image_;
};
