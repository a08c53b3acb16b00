#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "base/thread_annotations.h"
#include "proxy/host_cache.h"
#include "proxy/listen_socket.h"
#include "proxy/proxy_connection.h"
#include "proxy/request_verdict.h"
#include "proxy/url_helpers.h"
#include "rules/shared_lists.h"

// The filtering proxy: accepts browser connections on its port and handles each on a
// thread of its own, one request per connection (no keep-alive).
//
// Life: construction opens the listening socket; Start() runs Prepare() (loading the
// lists) and then the accept loop on the proxy thread; Stop() ends everything: the accept
// loop, every open connection (their blocked calls are woken) and, before it returns,
// every connection thread. Destruction stops the proxy if needed and saves the host cache.
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
  // Bytes moved per receive by a relay direction.
  static constexpr size_t kRelayBufferSize = 64 * 1024;
  static constexpr std::string_view kConnectReply =
      "HTTP/1.1 200 Connection established\r\nProxy-agent: HTTP Proxy Lite /0.2\r\n\r\n";

  // `lists` must outlive the proxy.
  CLocalProxy(uint16_t port, SharedLists& lists);
  ~CLocalProxy() override;

  // Loads what the proxy needs before it accepts connections: the host cache and the lists.
  void Prepare();
  // Loads the shipped and the user site lists again and refreshes the host keywords taken
  // from the shipped black list.
  void ReloadSiteLists();
  // Accepts connections until the proxy stops or accepting fails. Returns 0 when there is
  // no listening socket, 1 when the loop ended.
  int AcceptLoop();

  // Runs Prepare and the accept loop on the proxy thread.
  void Start();
  // Stops accepting, wakes and ends every connection and waits for their threads. Safe to
  // call more than once.
  void Stop();

  bool IsStopping() const { return stopping_; }
  size_t OpenConnections();
  CHostCache* HostCache() { return host_cache_.get(); }

 private:
  // Runs on the connection's thread: reads the head, judges it, forwards it and the
  // response, and closes.
  void HandleConnection(CProxyConnection& connection);
  // Judges the request whose head, target and target parts are given; sets the
  // connection's host. Sends the reply itself for kBlockPage and kBlankImage.
  RequestVerdict Classify(CProxyConnection& connection, std::string_view head, std::string_view address_text,
                          const UrlParts& parts);
  // Sends the response of a filtered request to the browser.
  void FilterResponse(CProxyConnection& connection);
  // Connects the connection's upstream socket through the host cache.
  bool ConnectUpstream(CProxyConnection& connection, const std::string& host, uint16_t port);
  // Relays both directions until either ends; both sockets are then shut down.
  void Tunnel(CProxyConnection& connection);
  // Copies from `from` to `to` until `from` ends, a send fails or the proxy stops.
  void Relay(SocketHandle from, SocketHandle to);
  // Sends a minimal reply for a request the proxy cannot take apart.
  void RefuseRequest(CProxyConnection& connection);

  void Register(CProxyConnection* connection);
  // Unregisters the connection and closes its sockets, each once.
  void CloseConnection(CProxyConnection* connection);
  void SetUpstream(CProxyConnection& connection, SocketHandle socket);
  void RunConnectionThread(std::unique_ptr<CProxyConnection> connection);

  SharedLists& lists_;
  CMyList black_domains_{list_files::kBlackDomain};
  CMyList white_domains_{list_files::kWhiteDomain};
  CMyList image_urls_{list_files::kFilterImg};
  std::unique_ptr<CHostCache> host_cache_;

  std::atomic<bool> stopping_{false};
  std::thread proxy_thread_;

  std::mutex connections_mu_;
  std::unordered_set<CProxyConnection*> connections_ GUARDED_BY(connections_mu_);
  int running_threads_ GUARDED_BY(connections_mu_) = 0;
  std::condition_variable threads_done_;
};
