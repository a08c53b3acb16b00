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

bool CLocalProxy::SuppressesPictures(const CProxyConnection& connection) const {
  if (connection.url.ends_with("favicon.ico")) return false;
  int mode = setup_.NonePicture;
  return mode == 1 || (mode == 2 && OnNoImageList(connection));
}

void CLocalProxy::FilterResponse(CProxyConnection& connection) {
  if (stopping_) return;
  CBudgetShare budget_share(*page_budget_);
  CHttpResponse response(black_filter_, white_filter_, page_assets_.get(), setup_, &budget_share);
  response.SetSuppressPictures(SuppressesPictures(connection));
  response.SetNoImageScript(setup_.NonePicture == 2 && OnNoImageList(connection));
  std::vector<char> buffer(kReceiveBufferSize);
  const auto idle_limit = std::chrono::milliseconds(limits_.response_idle_ms);
  std::string out;
  for (ResponseStep step = ResponseStep::kNeedMore;;) {
    if (stopping_) return;
    // A server that falls silent ends the response as a close would.
    long got = WaitToReceive(connection.upstream, std::chrono::steady_clock::now() + idle_limit, stopping_)
                   ? ReceiveSome(connection.upstream, buffer.data(), buffer.size())
                   : 0;
    if (stopping_) return;
    step = got > 0 ? response.Advance(std::string_view(buffer.data(), static_cast<size_t>(got)), out)
                   : response.Finish(out);
    switch (step) {
      case ResponseStep::kNeedMore:
        continue;
      case ResponseStep::kForward:
      case ResponseStep::kStream:
        if (!SendAll(connection.client, out)) return;
        continue;
      case ResponseStep::kBlankImage:
        SendAll(connection.client, CHttpResponse::ImageReply(BlankImage()));
        return;
      case ResponseStep::kAbort:
        return;
      case ResponseStep::kComplete:
        if (!out.empty()) SendAll(connection.client, out);
        return;
      case ResponseStep::kPageReady:
        SendPage(connection, response, std::move(out));
        return;
    }
  }
}

void CLocalProxy::SendPage(CProxyConnection& connection, const CHttpResponse& response, std::string page) {
  switch (JudgePage(connection, response)) {
    case PageJudgement::kDeliver:
      break;
    case PageJudgement::kDrop:
      return;
    case PageJudgement::kTipPage:
      page = BuildTipPage("200 OK", "http://localhost:" + std::to_string(tip_port_) + "/IntellFilterTip.html");
      break;
  }
  if (!stopping_) SendAll(connection.client, page);
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
