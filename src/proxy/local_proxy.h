#pragma once

#include <functional>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "base/thread_annotations.h"
#include "base/thread_group.h"
#include "config/settings.h"
#include "proxy/host_cache.h"
#include "proxy/http_head.h"
#include "proxy/http_response.h"
#include "proxy/listen_socket.h"
#include "proxy/memory_budget.h"
#include "proxy/proxy_connection.h"
#include "proxy/request_verdict.h"
#include "proxy/url_helpers.h"
#include "rules/ad_filter.h"
#include "rules/host_set.h"
#include "rules/page_assets.h"
#include "rules/shared_lists.h"
#include "rules/word_filter.h"

// The filtering proxy: accepts browser connections on its port and handles each on a
// thread of its own, one request per connection (no keep-alive: whatever the browser sends
// after a request's body is never forwarded).
//
// Life: construction opens the listening socket; Start() runs Prepare() (loading the
// lists) and then the accept loop on the proxy thread; Stop() ends everything: the accept
// loop, every open connection (their blocked calls are woken) and, before it returns,
// every connection thread. Destruction stops the proxy if needed and saves the host cache.
//
// Bounds (ServerLimits, set before Start): the time and size of a request head, the
// number of open connections, and the silence of a server during a filtered response; a
// connection that passes one is closed. Tunnels are not limited in time.
//
// Thread safety: Start and Stop on the owning thread; ReloadSiteLists on any thread while
// connections run. The lists may be changed by other threads at any time.
class CLocalProxy : public CListenSocket {
 public:
  // Bytes read from the browser per receive while the head arrives.
  static constexpr size_t kHeadBufferSize = 15360;
  // A head that grows past this without a blank line is refused.
  static constexpr size_t kMaxHeadSize = 64 * 1024;
  static constexpr size_t kMaxHostLength = 259;
  // The longest a connection thread itself waits for a connect to a recorded address
  // (everything slower, and every name resolution, runs on a thread the proxy never waits for).
  static constexpr int kQuickConnectMs = 200;
  // Bytes moved per receive by a relay direction.
  static constexpr size_t kRelayBufferSize = 64 * 1024;
  static constexpr std::string_view kConnectReply =
      "HTTP/1.1 200 Connection established\r\nProxy-agent: HTTP Proxy Lite /0.2\r\n\r\n";

  // A page with at most this many links is never refused by smart monitoring.
  static constexpr int kSmartMinimumLinks = 20;

  // A request's verdict and the check that decided it (empty for an ordinary filtered
  // pass); with an explanation asked for, `detail` names the keyword or the ad rule.
  struct Judgement {
    RequestVerdict verdict;
    std::string_view check;
    std::string detail;
  };

  // `lists` and `setup` must outlive the proxy.
  CLocalProxy(uint16_t port, SharedLists& lists, SetupRecord& setup = TheSetup());
  ~CLocalProxy() override;

  // Loads what the proxy needs before it accepts connections: the host cache and the lists.
  void Prepare();
  // Work for the proxy thread once Prepare has loaded the lists and before connections are
  // accepted (pointing the system's proxy setting at this proxy). Set before Start().
  void SetOnReady(std::function<void()> on_ready) { on_ready_ = std::move(on_ready); }
  // Loads the shipped and the user site lists again and refreshes the host keywords taken
  // from the shipped black list.
  void ReloadSiteLists();
  // Reads the smart-monitoring settings (threshold and tip switch) and loads the learned
  // and the released sites again.
  void LoadSmartMonitoring();
  // The banned share of a page's links, in percent, above which smart monitoring refuses
  // the page, for a slider position; 0 (off) for position 3.
  static int SmartMonitoringThreshold(int position);

  // The keyword filters the proxy judges addresses and links with. Both must outlive the
  // proxy; set them before Start.
  void SetWordFilters(CWordFilter* black, CWordFilter* white) {
    black_filter_ = black;
    white_filter_ = white;
  }
  // Accepts connections until the proxy stops. Returns 0 when there is no listening
  // socket, 1 when the loop ended.
  int AcceptLoop();

  // Runs Prepare and the accept loop on the proxy thread.
  void Start();
  // Stops accepting, wakes and ends every connection and waits for their threads. Safe to
  // call more than once.
  void Stop();

  // The request head as it goes to the web server: in origin form with `path`, as
  // HTTP/1.1 for a white request and HTTP/1.0 for a filtered one, with one
  // "Connection: close" in place of the browser's connection fields (always there for a
  // white request), and for a filtered one "Accept-Encoding: gzip" in place of the
  // browser's Accept-Encoding field.
  static std::string ForwardedHead(const RequestHead& request, std::string_view path, RequestVerdict verdict);
  // The reply to a refused CONNECT: 403 with a short text.
  static std::string RefusedTunnelReply();

  // Judges a request without sending anything: `url` as in the request line, `parts` its
  // split, `referer_host` the host of its Referer line. The lists must have been loaded
  // (Prepare). `explain` fills in the detail, at some cost.
  Judgement Judge(std::string_view url, const UrlParts& parts, std::string_view referer_host, bool explain = false);

  // The name whose addresses a request for `host` (canonical) is connected to: the search
  // engine's safe-search endpoint while safe search is on (SafeSearchEndpoint), else the
  // host itself.
  std::string_view UpstreamName(std::string_view host) const;

  // The port of the control server, whose notice page smart monitoring sends refused
  // pages to.
  void SetControlServerPort(uint16_t port) { tip_port_ = port; }
  uint16_t ControlServerPort() const { return tip_port_; }

  bool IsStopping() const { return stopping_; }
  size_t OpenConnections();
  // Bytes of the memory budget that pages being filtered hold now.
  size_t PageMemoryInUse() const { return page_budget_ ? page_budget_->Used() : 0; }
  CHostCache* HostCache() { return host_cache_.get(); }

 private:
  enum class PageJudgement {
    kDeliver,  // send the rewritten page
    kTipPage,  // the site has been learned: send the page that leads to the notice instead
    kDrop,     // close both connections without sending anything
  };

  // Which ways a tunnel carries bytes.
  enum class TunnelDirections {
    kBoth,              // CONNECT: both ways until either side closes
    kServerToBrowser,   // a white request's response: what the browser still sends is dropped
  };

  // Runs on the connection's thread: reads the head, judges it, forwards it and the
  // response, and closes.
  void HandleConnection(CProxyConnection& connection);
  // Reads the request head into `head` (with what arrived after it); `head_length` is the
  // length up to and including the blank line (the whole of a head cut short by a close).
  // False when nothing usable arrived in time, the head grew too large or the proxy stops.
  bool ReadHead(CProxyConnection& connection, std::string& head, size_t& head_length);
  // Sends the browser the reply that a refusing verdict calls for. True when the request
  // is to be passed on.
  bool SendReplyFor(CProxyConnection& connection, const RequestHead& request, RequestVerdict verdict);
  // Forwards the request body: `arrived` (the bytes that came with the head) and then what
  // the body's framing says is still to come; bytes after the body are not forwarded.
  // False when the body could not be passed on whole.
  bool ForwardBody(CProxyConnection& connection, const RequestBody& body, std::string_view arrived);
  // Sends the response of a filtered request to the browser.
  void FilterResponse(CProxyConnection& connection);
  // Smart monitoring's judgement of a rewritten page, learning its site when refused.
  PageJudgement JudgePage(const CProxyConnection& connection, const CHttpResponse& response);
  bool OnNoImageList(const CProxyConnection& connection) const;
  // The check of the shipped black list that names the host, or empty: its registrable
  // domain, the bare host, or a parent domain between the two (so that an entry for
  // cdn.example.com also covers img.cdn.example.com).
  std::string_view ShippedBlackCheck(const std::string& base_domain, const std::string& bare_host) const;
  // Whether a black site list, the host keywords or the learned sites name the host.
  bool NamedBySiteLists(const std::string& base_domain, const std::string& bare_host) const;
  // A page opened from a white site passes the site checks, unless the site it asks for is
  // itself named black: a black site found through a search engine is refused all the same.
  bool RefererMayWhiteList(std::string_view referer_host, const std::string& base_domain,
                           const std::string& bare_host) const;
  // Whether the non-ASCII text of a request address holds a banned word.
  bool AddressTextIsBanned(std::string_view url) const;
  // Whether the connection's big pictures are replaced by the blank image.
  bool SuppressesPictures(const CProxyConnection& connection) const;
  // Sends a rewritten page, or what smart monitoring puts in its place.
  void SendPage(CProxyConnection& connection, const CHttpResponse& response, std::string page);
  // The block page and the blank image, read at their first use and kept.
  const std::string& BlockPage();
  const std::string& BlankImage();
  void SendReply(CProxyConnection& connection, const std::string& reply);
  // Connects the connection's upstream socket through the host cache. Gives up at once
  // when the proxy stops, even while a name is being resolved.
  bool ConnectUpstream(CProxyConnection& connection, const std::string& host, uint16_t port);
  // Connects on a detached thread and waits for it until the proxy stops; kNoSocket when it
  // failed or the proxy stopped first. `resolve_afresh`: the recorded address was tried already.
  SocketHandle ConnectOffThread(const std::string& host, uint16_t port, bool resolve_afresh);
  // Relays until either side ends; both sockets are then shut down.
  void Tunnel(CProxyConnection& connection, TunnelDirections directions);
  // Copies from `from` to `to` (drops what arrives when `to` is kNoSocket) until `from`
  // ends, a send fails or the proxy stops.
  void Relay(SocketHandle from, SocketHandle to);
  // Sends a minimal reply for a request the proxy cannot take apart.
  void RefuseRequest(CProxyConnection& connection);

  void Register(CProxyConnection* connection);
  // Unregisters the connection and closes its sockets, each once.
  void CloseConnection(CProxyConnection* connection);
  void SetUpstream(CProxyConnection& connection, SocketHandle socket);
  // Handles the accepted browser connection on a thread of its own.
  void RunConnectionThread(SocketHandle client);

  SharedLists& lists_;
  SetupRecord& setup_;
  Snapshot<CHostSet> black_domains_;
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
  // The ad rules take tens of megabytes once compiled and are only asked while FilterAD is
  // on (off by default): they are read and compiled at their first use.
  CAdFilter& AdFilter();
  std::once_flag ad_filter_once_;
  std::unique_ptr<CAdFilter> ad_filter_;
  std::atomic<uint16_t> tip_port_{809};
  std::function<void()> on_ready_;
  std::once_flag block_page_once_, blank_image_once_;
  std::string block_page_, blank_image_;

  std::atomic<bool> stopping_{false};
  std::thread proxy_thread_;

  std::mutex connections_mu_;
  std::unordered_set<CProxyConnection*> connections_ GUARDED_BY(connections_mu_);
  ThreadGroup connection_threads_;
};
