#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/sockets.h"
#include "proxy/connection_registry.h"
#include "proxy/http_head.h"
#include "proxy/proxy_config.h"
#include "proxy/proxy_connection.h"
#include "proxy/request_verdict.h"
#include "proxy/server_limits.h"

// The proxy's work for one browser connection, on the connection's thread: read the
// request head, judge it, answer or connect, forward the request and its body, and pass
// the response back (filtered, or relayed untouched for a white request or a tunnel).
// One request per connection: nothing the browser sends after the request's body reaches
// a server.
//
// Every blocking call gives up once the proxy's stop flag is set; the registry's shutdown
// wakes the calls blocked on the connection's sockets.
class CProxySession {
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

  // Everything given must outlive the session.
  CProxySession(CProxyConfig& config, CConnectionRegistry& registry, const ServerLimits& limits,
                const std::atomic<bool>& stopping, CProxyConnection& connection)
      : config_(config), registry_(registry), limits_(limits), stopping_(stopping), connection_(connection) {}

  // Handles the connection's one request, to its end. The caller closes the connection.
  void Run();

  // The request head as it goes to the web server: in origin form with `path`, as
  // HTTP/1.1 for a white request and HTTP/1.0 for a filtered one, with one
  // "Connection: close" in place of the browser's connection fields (always there for a
  // white request), and for a filtered one "Accept-Encoding: gzip" in place of the
  // browser's Accept-Encoding field.
  static std::string ForwardedHead(const RequestHead& request, std::string_view path, RequestVerdict verdict);
  // The reply to a refused CONNECT: 403 with a short text.
  static std::string RefusedTunnelReply();

 private:
  // Which ways a tunnel carries bytes.
  enum class TunnelDirections {
    kBoth,              // CONNECT: both ways until either side closes
    kServerToBrowser,   // a white request's response: what the browser still sends is dropped
  };

  // Reads the request head into `head` (with what arrived after it); `head_length` is the
  // length up to and including the blank line (the whole of a head cut short by a close).
  // False when nothing usable arrived in time, the head grew too large or the proxy stops.
  bool ReadHead(std::string& head, size_t& head_length);
  // Sends the browser the reply that a refusing verdict calls for. True when the request
  // is to be passed on.
  bool SendReplyFor(const RequestHead& request, RequestVerdict verdict);
  // Forwards the request body: `arrived` (the bytes that came with the head) and then what
  // the body's framing says is still to come; bytes after the body are not forwarded.
  // False when the body could not be passed on whole.
  bool ForwardBody(const RequestBody& body, std::string_view arrived);
  // Sends the response of a filtered request to the browser.
  void FilterResponse();
  // Sends a rewritten page, or what smart monitoring puts in its place.
  void SendPage(std::string page, int links_examined, double removed_share);
  void SendReply(const std::string& reply);
  // Connects the upstream socket through the host cache. Gives up at once when the proxy
  // stops, even while a name is being resolved.
  bool ConnectUpstream(const std::string& host, uint16_t port);
  // Relays until either side ends; both sockets are then shut down.
  void Tunnel(TunnelDirections directions);
  // Copies from `from` to `to` (drops what arrives when `to` is kNoSocket) until `from`
  // ends, a send fails or the proxy stops.
  void Relay(SocketHandle from, SocketHandle to);
  // Sends a minimal reply for a request the proxy cannot take apart.
  void RefuseRequest();

  CProxyConfig& config_;
  CConnectionRegistry& registry_;
  const ServerLimits& limits_;
  const std::atomic<bool>& stopping_;
  CProxyConnection& connection_;
};
