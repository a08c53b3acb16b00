// How the proxy passes a filtered request's response back to the browser: pictures may be
// swapped for a blank one, pages are collected, rewritten and judged, the rest streams.
#include <chrono>
#include <vector>

#include "config/settings.h"
#include "proxy/http_response.h"
#include "proxy/local_proxy.h"
#include "proxy/memory_budget.h"

namespace {

constexpr size_t kReceiveBufferSize = 64 * 1024;

}  // namespace

bool CLocalProxy::OnNoImageList(const CProxyConnection& connection) const {
  const CMyList& sites = lists_.userNoImageDomains;
  return sites.Contains(BaseDomain(connection.host)) || sites.Contains(connection.refererHost) ||
         sites.Contains(connection.host);
}

bool CLocalProxy::SuppressesPicture(const CProxyConnection& connection, const CHttpResponse& response) const {
  if (!response.IsBigImage() || connection.url.ends_with("favicon.ico")) return false;
  int mode = setup_.NonePicture;
  return mode == 1 || (mode == 2 && OnNoImageList(connection));
}

void CLocalProxy::FilterResponse(CProxyConnection& connection) {
  if (stopping_) return;
  CBudgetShare budget_share(*page_budget_);
  CHttpResponse response(black_filter_, white_filter_, page_assets_.get(), setup_, &budget_share);
  std::vector<char> buffer(kReceiveBufferSize);
  const auto idle_limit = std::chrono::milliseconds(limits_.response_idle_ms);
  while (!stopping_) {
    // A server that falls silent ends the response as a close would.
    if (!WaitToReceive(connection.upstream, std::chrono::steady_clock::now() + idle_limit, stopping_)) break;
    long got = ReceiveSome(connection.upstream, buffer.data(), buffer.size());
    if (got <= 0) break;
    std::string ready = response.Take(std::string_view(buffer.data(), static_cast<size_t>(got)));
    // A head that never ends is no response a browser could use; a page that does not fit
    // the memory left is not sent unfiltered.
    if (response.HeadTooLarge() || response.OverBudget()) return;
    if (response.HeadComplete() && !response.IsPage()) {
      if (SuppressesPicture(connection, response)) {
        SendAll(connection.client, CHttpResponse::ImageReply(BlankImage()));
        return;
      }
      if (!ready.empty() && (stopping_ || !SendAll(connection.client, ready))) return;
    } else if (response.IsPage() && response.Data().size() > kMaxPageSize) {
      // A page too large to hold is passed on as it comes rather than exhausting memory.
      response.TreatAsStream();
      if (!SendAll(connection.client, response.Data())) return;
    }
    if (response.IsComplete()) break;
  }
  if (!response.IsPage() || stopping_) return;

  response.SetNoImageScript(setup_.NonePicture == 2 && OnNoImageList(connection));
  std::string out = response.RewritePage();
  if (response.OverBudget()) return;
  switch (JudgePage(connection, response)) {
    case PageJudgement::kDeliver:
      break;
    case PageJudgement::kDrop:
      return;
    case PageJudgement::kTipPage:
      out = BuildTipPage("200 OK", "http://localhost:" + std::to_string(tip_port_) + "/IntellFilterTip.html");
      break;
  }
  if (!stopping_) SendAll(connection.client, out);
}

CLocalProxy::PageJudgement CLocalProxy::JudgePage(const CProxyConnection& connection, const CHttpResponse& response) {
  int threshold = smart_threshold_;
  if (threshold <= 0 || released_sites_.Contains(connection.host)) return PageJudgement::kDeliver;
  if (response.LinksExamined() <= kSmartMinimumLinks || !(response.RemovedShare() > threshold)) {
    return PageJudgement::kDeliver;
  }
  if (smart_tip_ == 0) return PageJudgement::kDrop;
  learned_sites_.Add(std::string_view(connection.host), true);
  return PageJudgement::kTipPage;
}
