#include "proxy/proxy_config.h"

#include <optional>

#include "config/profile_values.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "proxy/safe_search.h"

CProxyConfig::CProxyConfig(SharedLists& lists, SetupRecord& setup) : lists_(lists), setup_(setup) {}

CProxyConfig::~CProxyConfig() {
  if (host_cache_) host_cache_->Save();
}

void CProxyConfig::Load(size_t page_memory_bytes) {
  page_budget_ = std::make_unique<CMemoryBudget>(page_memory_bytes);
  host_cache_ = std::make_shared<CHostCache>("host.dat");
  host_cache_->Load();
  ReloadSiteLists();
  lists_.urlList.Load(true);
  lists_.urlFilter.Load(true);
  lists_.urlFilter.LoadOrdinaryWords();
  lists_.userNoImageDomains.Load(true);
  if (black_filter_ != nullptr) black_filter_->Rebuild();
  if (white_filter_ != nullptr) white_filter_->Rebuild();
  image_urls_.Load(true);
  page_assets_ = std::make_unique<CPageAssets>(setup_, tip_port_);
  LoadSmartMonitoring();
  if (setup_.FilterAD) AdFilter();  // ready before the first request, as the other lists
}

CAdFilter& CProxyConfig::AdFilter() const {
  std::call_once(ad_filter_once_, [this] {
    ad_filter_ = std::make_unique<CAdFilter>();
    ad_filter_->Compile();
  });
  return *ad_filter_;
}

void CProxyConfig::ReloadSiteLists() {
  CHostSet::Ptr black = CHostSet::Load(list_files::kBlackDomain);
  lists_.urlFilter.FillExtraKeywords(black->DotlessEntries());
  black_domains_.Publish(std::move(black));
  black_families_.Publish(CHostSet::Load(list_files::kBlackFamily));
  host_words_.Publish(CHostWords::Load());
  white_domains_.Load(true);
  lists_.userBlackDomains.Load(true);
  lists_.userWhiteDomains.Load(true);
}

int CProxyConfig::SmartMonitoringThreshold(int position) {
  switch (position) {
    case 0: return 10;
    case 1: return 40;
    case 2: return 70;
    case 3: return 0;
    default: return 40;
  }
}

void CProxyConfig::LoadSmartMonitoring() {
  smart_threshold_ = SmartMonitoringThreshold(ReadProfile(profile::kIntelligentMonitor));
  smart_tip_ = ReadProfile(profile::kIntelligentMonitorTip);
  learned_sites_.Load(true);
  released_sites_.Load(true);
}

std::string_view CProxyConfig::UpstreamName(std::string_view host) const {
  std::string_view safe = setup_.SafeSearch ? SafeSearchEndpoint(host) : std::string_view();
  return safe.empty() ? host : safe;
}

bool CProxyConfig::OnNoImageList(const std::string& host, const std::string& referer_host) const {
  const CMyList& sites = lists_.userNoImageDomains;
  return sites.Contains(BaseDomain(host)) || sites.Contains(referer_host) || sites.Contains(host);
}

bool CProxyConfig::SuppressesPictures(std::string_view url, const std::string& host,
                                      const std::string& referer_host) const {
  if (url.ends_with("favicon.ico")) return false;
  int mode = setup_.NonePicture;
  return mode == 1 || (mode == 2 && OnNoImageList(host, referer_host));
}

bool CProxyConfig::SendsNoImageScript(const std::string& host, const std::string& referer_host) const {
  return setup_.NonePicture == 2 && OnNoImageList(host, referer_host);
}

CProxyConfig::PageJudgement CProxyConfig::JudgePage(const std::string& host, const LinkCounts& links) const {
  int threshold = smart_threshold_;
  if (threshold <= 0 || released_sites_.Contains(host)) return PageJudgement::kDeliver;
  if (links.examined <= kSmartMinimumLinks || !(links.RemovedShare() > threshold)) return PageJudgement::kDeliver;
  return smart_tip_ == 0 ? PageJudgement::kDrop : PageJudgement::kTipPage;
}

void CProxyConfig::LearnSite(const std::string& host) { learned_sites_.Add(std::string_view(host), true); }

const std::string& CProxyConfig::BlockPage() const {
  std::call_once(block_page_once_, [this] {
    CMyFile page("www\\404.htm", false);
    page.Read();
    block_page_ = WideToLocal(page.Text());
  });
  return block_page_;
}

const std::string& CProxyConfig::BlankImage() const {
  constexpr size_t kMaxBlankImage = 256;
  std::call_once(blank_image_once_, [this] {
    std::optional<std::string> image = FileSystem::Current().ReadAll("Images\\none.gif");
    if (image) blank_image_ = image->substr(0, kMaxBlankImage);
  });
  return blank_image_;
}
